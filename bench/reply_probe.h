#pragma once

#include "bench_application.h"

#include <QObject>

#include <cstdint>
#include <vector>

class QWidget;

// Watches the finder's window from outside. Every reply of a benchmark burst
// writes one table row, so the row's change signal splits the window
// thread's CPU time into one sample per reply: from the socket activation
// that delivered a batch of datagrams to the first row, then row to row. A
// sample so holds the reading, parsing and filling of one reply and the
// label update of the one before it.
class ReplyProbe : public QObject, public EventWatcher
{
    Q_OBJECT

public:
    // Throws std::runtime_error when the window lacks a control it needs.
    explicit ReplyProbe(QWidget &window);

    void reset();

    // CPU per reply, in ns.
    const std::vector<std::int64_t> &samples() const { return m_samples; }
    // CLOCK_MONOTONIC: end of the last handler that wrote a row, and end of
    // the first repaint of the table after it (0 if none came).
    std::int64_t lastRowWrittenNs() const { return m_lastRowNs; }
    std::int64_t lastRowPaintedNs() const { return m_paintAfterRowNs; }
    std::int64_t lastActivityNs() const { return m_lastActivityNs; }
    // Repaints of the table and the window thread's CPU spent in them.
    int tablePaints() const { return m_paints; }
    std::int64_t tablePaintCpuNs() const { return m_paintCpuNs; }

    void eventStarted(QObject *receiver, QEvent::Type type) override;
    void eventEnded(QObject *receiver, QEvent::Type type) override;

private:
    void rowWritten();

    QWidget *m_viewport = nullptr;
    bool m_inSocketEvent = false;
    std::int64_t m_markCpuNs = 0;
    std::vector<std::int64_t> m_samples;
    std::int64_t m_lastRowNs = 0;
    std::int64_t m_paintAfterRowNs = 0;
    std::int64_t m_lastActivityNs = 0;
    std::int64_t m_paintStartCpuNs = 0;
    int m_paints = 0;
    std::int64_t m_paintCpuNs = 0;
};
