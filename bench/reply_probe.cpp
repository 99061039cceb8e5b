#include "reply_probe.h"

#include "bench_clock.h"

#include <QAbstractItemModel>
#include <QTableView>

#include <stdexcept>

using namespace Qt::StringLiterals;

ReplyProbe::ReplyProbe(QWidget &window)
{
    auto *const grid = window.findChild<QTableView *>(u"MSFlexGrid1"_s);
    if (!grid || !grid->model())
        throw std::runtime_error("the window has no grid MSFlexGrid1");
    m_viewport = grid->viewport();
    m_samples.reserve(1 << 16);

    // A fill either appends a row or rewrites a free one.
    connect(grid->model(), &QAbstractItemModel::rowsInserted, this, &ReplyProbe::rowWritten);
    connect(grid->model(), &QAbstractItemModel::dataChanged, this, &ReplyProbe::rowWritten);
}

void ReplyProbe::reset()
{
    m_samples.clear();
    m_lastRowNs = 0;
    m_paintAfterRowNs = 0;
    m_lastActivityNs = bench_clock::monotonicNs();
    m_paints = 0;
    m_paintCpuNs = 0;
}

void ReplyProbe::rowWritten()
{
    const std::int64_t cpu = bench_clock::threadCpuNs();
    const std::int64_t now = bench_clock::monotonicNs();
    if (m_inSocketEvent)
        m_samples.push_back(cpu - m_markCpuNs);
    m_markCpuNs = cpu;
    m_lastActivityNs = now;
    m_lastRowNs = now;
    m_paintAfterRowNs = 0;
}

void ReplyProbe::eventStarted(QObject *receiver, QEvent::Type type)
{
    if (type == QEvent::SockAct) {
        m_inSocketEvent = true;
        m_markCpuNs = bench_clock::threadCpuNs();
    } else if (receiver == m_viewport) {
        m_paintStartCpuNs = bench_clock::threadCpuNs();
    }
}

void ReplyProbe::eventEnded(QObject *receiver, QEvent::Type type)
{
    if (type == QEvent::SockAct) {
        m_inSocketEvent = false;
        return;
    }
    if (receiver != m_viewport)
        return;
    ++m_paints;
    m_paintCpuNs += bench_clock::threadCpuNs() - m_paintStartCpuNs;
    if (m_lastRowNs != 0 && m_paintAfterRowNs == 0)
        m_paintAfterRowNs = bench_clock::monotonicNs();
}
