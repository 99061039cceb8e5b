#include "finder/cli/expected_plan.h"

#include "finder/cli/terminal_output.h"
#include "finder/core/command_line.h"

using namespace Qt::StringLiterals;

std::optional<SitePlan> readExpectedPlan(const CommandLine &commandLine)
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
    return plan;
}
