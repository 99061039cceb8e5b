#pragma once

#include "devicelist/found_devices.h"
#include "devicelist/site_row.h"
#include "devicelist/site_tally.h"
#include "discovery/discovery_endpoint.h"
#include "finder/cli/listing_file.h"
#include "finder/cli/prometheus_listing.h"
#include "finder/cli/signal_watcher.h"
#include "finder/core/command_line.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

class ReportWriter;

// veltrin-finder --list: the window's controller and endpoint with the same
// settings, driven without a window, the devices kept as records. Text and CSV rows are written
// as the replies come in, one whole line per write; JSON and Prometheus
// metrics are written whole at the end. SIGINT and SIGTERM end the run as
// its end does: the lines printed are whole, and JSON holds the rows that
// arrived; metrics say the scan failed.
class ListMode : public QObject, public FinderView
{
    Q_OBJECT

public:
    // reportWriter writes --report; none is needed without it.
    explicit ListMode(const CommandLine &commandLine,
                      const DiscoveryEndpoint::Settings &settings = DiscoveryEndpoint::Settings{},
                      const ReportWriter *reportWriter = nullptr, QObject *parent = nullptr);

    // Sends, collects and prints; returns the ExitStatus. Runs the event
    // loop of the application object, which must exist.
    int exec();

    // Prints the devices the datagram added.
    void datagramHandled(const QString &text, int foundCount) override;
    void reportFailure(const EndpointError &error) override;
    void reportWarning(const EndpointError &error) override;

private:
    // Reads the --expect plan, if any; false when it cannot be used.
    bool loadPlan();
    void startWaiting();
    void finish(int status);
    bool print(const QByteArray &bytes);
    bool printHeader();
    // Writes what is due at the end and puts the output file in place;
    // returns the exit status.
    int conclude(int status);
    // What the listing holds at its end: JSON and metrics whole, or the
    // text or CSV rows of the planned stations that are missing.
    void writeEnd(int status, const QList<SiteRow> &missing);
    // A found device as a text or CSV row: its number, its fields, then its
    // status against the plan and the planned values.
    QStringList row(qsizetype index) const;
    // The planned stations no device answered for.
    QList<SiteRow> missingStations() const;
    // The hand-over report of the devices listed; false, the reason printed, when it cannot be written.
    bool writeReport() const;

    CommandLine m_commandLine;
    const ReportWriter *m_reportWriter;
    FoundDevices m_devices;
    DiscoveryEndpoint m_endpoint;
    FinderController m_controller;
    std::optional<SiteTally> m_tally;
    // Each device printed as the plan judged it, when a plan is compared.
    QList<SiteRow> m_compared;
    QTimer m_waitTimer;
    ListingFile m_output;
    PrometheusListing m_prometheus;
    SignalWatcher m_signals;
    qsizetype m_printedRows = 0;
    bool m_failed = false;
    bool m_running = false;
    bool m_finished = false;
    bool m_headerPrinted = false;
};
