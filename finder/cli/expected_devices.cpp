#include "finder/cli/expected_devices.h"

#include "finder/cli/terminal_output.h"
#include "finder/core/command_line.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace ExpectedDevices {

std::optional<SiteTally> load(const CommandLine &commandLine)
{
    SitePlan plan = SitePlan::load(commandLine.expectFile, commandLine.expectColumns);
    const QString about = u"--expect %1: "_s.arg(commandLine.expectFile);
    if (!plan.isValid()) {
        printError(about + plan.error()
                   + (plan.needsColumnChoice() ? u" Name the columns with --expect-columns, such as "
                                                 u"--expect-columns mac=Hardware,name=Wohnung."_s
                                               : QString()));
        return std::nullopt;
    }
    if (commandLine.verbose || !plan.header().ignoredColumns().isEmpty())
        printError(about + plan.header().columnsText());
    return SiteTally(std::move(plan));
}

} // namespace ExpectedDevices
