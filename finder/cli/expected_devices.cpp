#include "finder/cli/expected_devices.h"

#include "finder/cli/terminal_output.h"

using namespace Qt::StringLiterals;

namespace ExpectedDevices {

std::optional<SiteTally> load(const QString &path)
{
    SitePlan plan = SitePlan::load(path);
    if (!plan.isValid()) {
        printError(u"--expect %1: %2"_s.arg(path, plan.error()));
        return std::nullopt;
    }
    return SiteTally(std::move(plan));
}

} // namespace ExpectedDevices
