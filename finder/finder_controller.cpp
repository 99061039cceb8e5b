#include "finder_controller.h"

#include "device_table.h"
#include "discovery_endpoint.h"
#include "discovery_messages.h"
#include "finder_view.h"
#include "request_routes.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {

// The count in sign-position form: a space stands where a minus would.
QString countLabelText(qint16 count)
{
    QString text;
    text.reserve(20);
    text += u' ';
    text += QString::number(count);
    text += u" device found";
    return text;
}

} // namespace

FinderController::FinderController(FinderView &view, DeviceTable &table, DiscoveryEndpoint &endpoint,
                                   QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_table(table)
    , m_endpoint(endpoint)
{
    m_noReplyTimer.setSingleShot(true);
    m_noReplyTimer.setInterval(NoReplyHintDelayMs);
    // The routes are looked up only when the hint is due: refreshes stay fast.
    connect(&m_noReplyTimer, &QTimer::timeout, this,
            [this] { m_view.showNoReplyHint(requestRoutes(m_endpoint.settings())); });
}

void FinderController::start()
{
    m_table.setHeaderFormat(DeviceTable::HeaderFormat);
    refresh();
}

void FinderController::refresh()
{
    m_noReplyTimer.stop();
    m_view.hideNoReplyHint();
    // A port that cannot be bound leaves the last results on screen; the
    // user fixes the cause and presses Refresh again.
    if (const std::optional<EndpointError> failure = m_endpoint.reopen()) {
        m_view.reportFailure(*failure);
        return;
    }
    m_foundCount = 0;
    m_view.setCountLabelText(QString());
    m_table.emptyRows();
    const QString request = buildRequest();
    if (const std::optional<EndpointError> failure = m_endpoint.send(request)) {
        m_view.reportFailure(*failure);
    } else {
        m_noReplyTimer.start();
    }
    m_view.setRequestPaneText(request);
}

void FinderController::onDatagram(qint64 bytesTotal)
{
    Q_UNUSED(bytesTotal);
    m_lastReply = m_endpoint.readDatagram();
    const DeviceReply reply = parseReply(m_lastReply);
    if (reply.accepted && !reply.macAddress.isEmpty()) {
        // A reply the full table could not take was not found as far as the
        // user can see, so it is not counted; the counter stops at its limit.
        if (m_table.fillDeviceRow(reply, m_endpoint.senderAddress())
            && m_foundCount < std::numeric_limits<qint16>::max()) {
            if (++m_foundCount == 1)
                endNoReplyWait();
        }
    }
    m_view.setCountLabelText(countLabelText(m_foundCount));
    m_view.setReplyPaneText(m_lastReply);
}

void FinderController::endNoReplyWait()
{
    m_noReplyTimer.stop();
    m_view.hideNoReplyHint();
}
