#include "startup_probe.h"

#include "bench_clock.h"
#include "lab_process.h"

#include <stdexcept>

using namespace Qt::StringLiterals;

std::vector<std::int64_t> measureStartUp(const BenchLab &lab, int runs)
{
    std::vector<std::int64_t> samples;
    for (int run = 0; run < runs; ++run) {
        LabProcess watcher(lab.deviceNamespace, lab.receiverProgram,
                           {u"--port"_s, u"8002"_s, u"--first"_s, u"--wait-ms"_s, u"10000"_s});
        watcher.start();
        if (!watcher.waitForLine(u"ready"_s, 5000))
            throw std::runtime_error("the wire watcher did not start: " + watcher.errorOutput().toStdString());

        LabProcess finder(QString(), lab.finderProgram, {});
        finder.setEnvironmentVariable(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        const std::int64_t started = bench_clock::monotonicNs();
        finder.start();
        const bool seen = watcher.waitForFinished(15000) && watcher.number(u"received"_s) == 1;
        finder.terminate();
        finder.waitForFinished(5000);
        if (!seen)
            throw std::runtime_error("the finder's request did not reach the device namespace: "
                                     + finder.errorOutput().toStdString());
        samples.push_back(watcher.number(u"first_ns"_s) - started);
    }
    return samples;
}
