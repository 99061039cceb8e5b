// The whole path of one datagram through the finder: a loopback socket sends
// the payload to the real endpoint, whose reader thread takes it and whose
// notification reaches the real controller, which parses it, fills the table
// and writes the label and the reply pane to a recording view. Loopback only: the
// endpoint and its "devices" live on 127.0.0.1, nothing is broadcast.
//
// The table keeps its rows from one input to the next, so fills meet a table
// with rows in use and free rows. A refresh runs once it has grown past
// RefreshAtRows; the row count stays, the rows are reused, so memory stays
// bounded.

#include "discovery/datagram_text.h"
#include "devicelist/device_table.h"
#include "discovery/discovery_endpoint.h"
#include "discovery/discovery_messages.h"
#include "discovery/endpoint_error.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"
#include "fuzz/fuzz_check.h"
#include "devicelist/packed_row.h"
#include "devicelist/visible_text.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkProxyFactory>
#include <QUdpSocket>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr int RefreshAtRows = 200;
// The largest payload an IPv4 UDP datagram carries.
constexpr std::size_t MaxPayload = 65507;

class RecordingView : public FinderView
{
public:
    void resultsCleared() override { foundCount = -1; }
    void requestSent(const QString &request) override { requestPane = request; }
    void datagramHandled(const QString &text, int found) override
    {
        replyPane = text;
        foundCount = found;
        ++replyPaneWrites;
    }
    void reportFailure(const EndpointError &error) override
    {
        std::fprintf(stderr, "endpoint failure: %s\n", qPrintable(error.toString()));
        std::abort();
    }

    int foundCount = -1;   // -1 once cleared
    QString requestPane;
    QString replyPane;
    int replyPaneWrites = 0;
};

struct Finder
{
    explicit Finder(quint16 devicePort)
        : endpoint(settings(devicePort))
    {
        QObject::connect(&endpoint, &DiscoveryEndpoint::datagramsArrived, &controller,
                         &FinderController::onDatagrams);
        controller.start();
    }

    static DiscoveryEndpoint::Settings settings(quint16 devicePort)
    {
        DiscoveryEndpoint::Settings s;
        s.destinationHost = QHostAddress::LocalHost;
        s.destinationPort = devicePort;
        s.localAddress = QHostAddress::LocalHost;
        s.localPort = 0;   // a free port, new at every refresh
        s.pauseMs = 0;
        s.sendOnEveryInterface = false;
        return s;
    }

    // The socket the endpoint is bound with, new at every refresh.
    QUdpSocket &socket() const
    {
        QUdpSocket *const s = endpoint.findChild<QUdpSocket *>();
        FUZZ_CHECK(s && s->state() == QAbstractSocket::BoundState);
        return *s;
    }

    // Rows in use are one block from row 1: row n is the last of them.
    bool rowsInUseAre(int n) const
    {
        const auto inUse = [this](int row) {
            return DeviceTable::isInUse(table.index(row - 1, 0));
        };
        return (n == 0 || inUse(n)) && (n + 1 >= table.tableRowCount() || !inUse(n + 1));
    }

    RecordingView view;
    DeviceTable table;
    DiscoveryEndpoint endpoint;
    FinderController controller{view, &table, endpoint};
};

class Harness
{
public:
    Harness()
    {
        // Every refresh binds anew; asking the system's proxy library each
        // time would cost more than the path under test, and loopback needs
        // no proxy.
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        FUZZ_CHECK(m_device.bind(QHostAddress::LocalHost, 0));
        m_finder = std::make_unique<Finder>(m_device.localPort());
        checkRefreshed();
    }

    void deliver(const QByteArray &payload)
    {
        if (m_finder->table.tableRowCount() > RefreshAtRows)
            refresh();

        Finder &f = *m_finder;
        const int rowsBefore = f.table.tableRowCount();
        const int usedBefore = m_rowsInUse;
        const qint16 foundBefore = f.controller.foundCount();
        const int writesBefore = f.view.replyPaneWrites;

        const QUdpSocket &socket = f.socket();
        FUZZ_CHECK(m_device.writeDatagram(payload, QHostAddress::LocalHost, socket.localPort())
                   == payload.size());
        // The endpoint's reader thread takes it; its notification comes
        // with the window thread's next rounds of the event loop.
        const QDeadlineTimer deadline(10000);
        while (f.view.replyPaneWrites == writesBefore && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

        const QString text = decodeDatagram(payload);
        FUZZ_CHECK(f.view.replyPaneWrites == writesBefore + 1);
        FUZZ_CHECK(f.view.replyPane == text);
        FUZZ_CHECK(f.controller.lastReply() == text);

        const DeviceReply reply = parseReply(text);
        const bool fills = identifiesDevice(reply, u"127.0.0.1");
        const qint16 found = f.controller.foundCount();
        FUZZ_CHECK(found == foundBefore + (fills ? 1 : 0));
        FUZZ_CHECK(f.view.foundCount == found);
        if (fills) {
            const int row = usedBefore + 1;
            FUZZ_CHECK(f.rowsInUseAre(row));
            FUZZ_CHECK(f.table.tableRowCount() == qMax(rowsBefore, row + 1));
            FUZZ_CHECK(f.table.cellText(row, 0) == QString::number(row));
            FUZZ_CHECK(f.table.cellText(row, 1) == u"127.0.0.1");
            checkCells(row, reply.description);
            m_rowsInUse = row;
        } else {
            FUZZ_CHECK(f.rowsInUseAre(usedBefore));
            FUZZ_CHECK(f.table.tableRowCount() == rowsBefore);
        }
    }

private:
    // Each cell is bounded and marked when shortened; drawn, it hides no
    // character and cannot turn the text around.
    void checkCells(int row, const QString &description) const
    {
        const DeviceTable &table = m_finder->table;
        const QString cell = table.cellText(row, 5);
        if (description.size() <= PackedRow::MaxCellLength) {
            FUZZ_CHECK(cell == description && !table.cellIsShortened(row, 5));
        } else {
            FUZZ_CHECK(table.cellIsShortened(row, 5));
            FUZZ_CHECK(cell.endsWith(PackedRow::Ellipsis) && description.startsWith(cell.chopped(1)));
        }
        for (int column = 0; column < DeviceTable::ColumnCount; ++column) {
            FUZZ_CHECK(table.cellText(row, column).size() <= PackedRow::MaxCellLength + 1);
            const QString shown = visibleText(table.cellText(row, column));
            for (qsizetype i = 0; i < shown.size(); ++i) {
                const QChar c = shown.at(i);
                FUZZ_CHECK(c.category() != QChar::Other_Control && c.category() != QChar::Other_Format);
                FUZZ_CHECK(!c.isSurrogate() || (c.isHighSurrogate() && i + 1 < shown.size()
                                                && shown.at(++i).isLowSurrogate()));
            }
        }
    }

    void refresh()
    {
        const int rows = m_finder->table.tableRowCount();
        m_finder->controller.refresh();
        // No event loop runs here; what the finder posted for one (deferred
        // deletes included) is delivered now, so nothing piles up.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        checkRefreshed();
        FUZZ_CHECK(m_finder->table.tableRowCount() == rows);
    }

    void checkRefreshed()
    {
        Finder &f = *m_finder;
        FUZZ_CHECK(f.controller.foundCount() == 0);
        FUZZ_CHECK(f.view.foundCount == -1);
        FUZZ_CHECK(f.view.requestPane == buildRequest());
        FUZZ_CHECK(f.rowsInUseAre(0));
        m_rowsInUse = 0;
        // The requests sent to the "device" are of no use here.
        while (m_device.hasPendingDatagrams())
            m_device.receiveDatagram();
    }

    QUdpSocket m_device;
    std::unique_ptr<Finder> m_finder;
    int m_rowsInUse = 0;
};

Harness &harness()
{
    static int argc = 1;
    static char name[] = "fuzz_datagram_path";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Harness instance;
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray payload(reinterpret_cast<const char *>(data),
                             static_cast<qsizetype>(qMin(size, MaxPayload)));
    harness().deliver(payload);
    return 0;
}
