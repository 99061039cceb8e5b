#pragma once

#include "devicelist/site_tally.h"
#include "discovery/discovery_endpoint.h"
#include "finder/cli/descriptor_writer.h"
#include "finder/cli/signal_watcher.h"
#include "finder/core/command_line.h"
#include "finder/core/device_watch.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"

#include <QObject>

#include <optional>

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

    // Returns ExitStatus::Stopped when stopped by a signal, Failed when the
    // plan or the socket failed.
    int exec();

    // The roster's events are the output; the view is not told of replies
    // while watching.
    void datagramHandled(const QString &text, int foundCount) override
    {
        Q_UNUSED(text);
        Q_UNUSED(foundCount);
    }
    void reportFailure(const EndpointError &error) override;
    void reportWarning(const EndpointError &error) override;

private:
    // The socket is bound, or could not be: the watch starts or fails.
    void onBound(const std::optional<EndpointError> &failure);
    // A new device answered the full roster; dropped: it had no place.
    void warnFull(bool dropped);
    void printEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs);
    void printMissing(int round);
    void addStatus(JsonLine &line, const SiteTally::Verdict &verdict) const;
    void print(const JsonLine &line);

    CommandLine m_commandLine;
    SignalWatcher m_stopSignals;
    DescriptorWriter m_output;
    DiscoveryEndpoint m_endpoint;
    FinderController m_controller;
    DeviceWatch m_watch;
    std::optional<SiteTally> m_tally;
    bool m_failed = false;
    bool m_running = false;
    bool m_started = false;
    bool m_saidReplacing = false;
    bool m_saidDropping = false;
};
