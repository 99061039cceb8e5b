#pragma once

#include "devicelist/device_roster.h"

#include <QList>
#include <QWidget>

#include <optional>

class QTreeWidget;

// The watch's events, a window of its own beside the main one, hidden until
// asked for: the first round's devices as one line ("405 stations
// answered"), then one line per event with its date and time, in aligned
// columns whose whole text a tooltip gives. Saved as CSV with the events'
// stable keywords.
class WatchEventLog : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxEvents = 10000;

    explicit WatchEventLog(QWidget *window);

    void clear();
    // A device's event; entry as the roster holds it after the event.
    void addEvent(DeviceRoster::Event event, const DeviceRoster::Entry &entry, qint64 timeMs);
    // The first round's end: how many devices answered it.
    void addFirstRound(qsizetype answered, qint64 timeMs);
    // Opens the window with the focus on the events.
    void open();

    QTreeWidget *list() const { return m_list; }
    // The events as CSV, header first.
    QByteArray csv() const;

private:
    // One line, as values; the screen and the file each say it their own way.
    struct Line
    {
        qint64 timeMs = 0;
        std::optional<DeviceRoster::Event> event;   // none: the first round's line
        qsizetype answered = 0;
        DeviceRecord::Fields values;
        DeviceRecord::Fields previous;
        quint8 changedFields = 0;
    };

    void append(const Line &line);
    void save();
    static QString details(const Line &line, bool forFile);

    QTreeWidget *m_list;
    QList<Line> m_lines;
};
