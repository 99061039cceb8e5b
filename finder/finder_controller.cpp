#include "finder_controller.h"

#include "device_table.h"
#include "discovery_endpoint.h"
#include "discovery_messages.h"
#include "finder_view.h"

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
}

void FinderController::Form_Load()
{
    m_table.setHeaderFormat(DeviceTable::HEADER_FORMAT);
    cmdRefresh_Click();
}

void FinderController::cmdRefresh_Click()
{
    // A port that cannot be bound leaves the last results on screen; the
    // user fixes the cause and presses Refresh again.
    if (const std::optional<EndpointError> failure = m_endpoint.reopen()) {
        m_view.reportFailure(*failure);
        return;
    }
    FoundCount = 0;
    m_view.setCountLabelText(QString());
    m_table.emptyRows();
    const QString request = buildRequest();
    if (const std::optional<EndpointError> failure = m_endpoint.send(request))
        m_view.reportFailure(*failure);
    m_view.setRequestPaneText(request);
}

void FinderController::UDPPeerA_DataArrival(qint64 bytesTotal)
{
    Q_UNUSED(bytesTotal);
    LastReply = m_endpoint.readDatagram();
    const DeviceReply reply = parseReply(LastReply);
    if (reply.accepted && !reply.MacAddress.isEmpty()) {
        // A reply the full table could not take was not found as far as the
        // user can see, so it is not counted; the counter stops at its limit.
        if (m_table.fillDeviceRow(reply, m_endpoint.senderAddress())
            && FoundCount < std::numeric_limits<qint16>::max()) {
            ++FoundCount;
        }
    }
    m_view.setCountLabelText(countLabelText(FoundCount));
    m_view.setReplyPaneText(LastReply);
}
