#pragma once

#include "finder/core/command_line.h"
#include "devicelist/device_table.h"
#include "discovery/discovery_endpoint.h"
#include "finder/cli/expected_devices.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"
#include "finder/cli/listing_file.h"
#include "finder/cli/prometheus_listing.h"
#include "finder/cli/signal_watcher.h"

#include <QObject>
#include <QTimer>

// veltrin-finder --list: the window's controller, table and endpoint with
// the same settings, driven without a window. Text and CSV rows are written
// as the replies come in, one whole line per write; JSON and Prometheus
// metrics are written whole at the end. SIGINT and SIGTERM end the run as
// its end does: the lines printed are whole, and JSON holds the rows that
// arrived.
class ListMode : public QObject, public FinderView
{
    Q_OBJECT

public:
    // Exit statuses.
    static constexpr int Found = 0;
    static constexpr int NoneFound = 1;
    static constexpr int Failed = 2;
    // With --expect: a planned device did not answer.
    static constexpr int Missing = 3;
    static constexpr int WriteFailed = 4;
    // A signal's run ends with 128 + its number, as a shell reports it.
    static constexpr int SignalBase = 128;

    explicit ListMode(const CommandLine &commandLine,
                     const DiscoveryEndpoint::Settings &settings = DiscoveryEndpoint::Settings{},
                     QObject *parent = nullptr);

    // Sends, collects and prints; returns the exit status. Runs the event
    // loop of the application object, which must exist.
    int exec();

    // Prints the rows the datagram filled.
    void datagramHandled(const QString &text, int foundCount) override;
    void reportFailure(const EndpointError &error) override;
    void reportWarning(const EndpointError &error) override;

private:
    void startWaiting();
    void finish(int status);
    bool print(const QByteArray &bytes);
    bool printHeader();
    // Writes what is due at the end and puts the output file in place;
    // returns the exit status.
    int conclude(int status);
    // The row as printed: its cells, then its status against the plan.
    QStringList row(int tableRow);
    static QStringList headerWithStatus();

    CommandLine m_commandLine;
    DeviceTable m_table;
    DiscoveryEndpoint m_endpoint;
    FinderController m_controller;
    ExpectedDevices m_expected;
    QTimer m_waitTimer;
    ListingFile m_output;
    PrometheusListing m_prometheus;
    SignalWatcher m_signals;
    int m_printedRows = 0;
    bool m_failed = false;
    bool m_running = false;
    bool m_finished = false;
    bool m_headerPrinted = false;
};
