#pragma once

#include "finder/core/command_line.h"
#include "devicelist/device_table.h"
#include "finder/core/device_watch.h"
#include "discovery/discovery_endpoint.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"
#include "finder/cli/descriptor_writer.h"
#include "finder/cli/signal_watcher.h"
#include "devicelist/site_plan.h"

#include <QObject>

class JsonLine;

// veltrin-finder --watch: the window's watch rounds without a window, one
// JSON line per event on standard output, each written whole, until SIGINT
// or SIGTERM. With --expect, events carry the device's status against the
// plan, and after the first round each planned device that did not answer
// is reported as missing.
class WatchMode : public QObject, public FinderView
{
    Q_OBJECT

public:
    explicit WatchMode(const CommandLine &commandLine,
                       const DiscoveryEndpoint::Settings &settings = DiscoveryEndpoint::Settings{},
                       QObject *parent = nullptr);

    // Returns 0 when stopped by a signal, 2 when the plan or the socket failed.
    int exec();

    // The roster's events are the output; datagrams reach it past the table.
    void datagramHandled(const QString &text, int foundCount) override
    {
        Q_UNUSED(text);
        Q_UNUSED(foundCount);
    }
    void reportFailure(const EndpointError &error) override;
    void reportWarning(const EndpointError &error) override;

private:
    void printEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs);
    void printMissing(int round);
    void addStatus(JsonLine &line, const DeviceRoster::Values &values) const;
    void print(const JsonLine &line);

    CommandLine m_commandLine;
    SignalWatcher m_stopSignals;
    DescriptorWriter m_output;
    DeviceTable m_table;   // the controller's; not filled while watching
    DiscoveryEndpoint m_endpoint;
    FinderController m_controller;
    DeviceWatch m_watch;
    SitePlan m_plan;
    bool m_hasPlan = false;
    bool m_failed = false;
    bool m_started = false;
};
