#include "finder/cli/expected_devices.h"

#include "finder/cli/expected_plan.h"

namespace ExpectedDevices {

std::optional<SiteTally> load(const CommandLine &commandLine)
{
    std::optional<SitePlan> plan = readExpectedPlan(commandLine);
    if (!plan)
        return std::nullopt;
    return SiteTally(std::move(*plan));
}

} // namespace ExpectedDevices
