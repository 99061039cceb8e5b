#pragma once

#include "devicelist/site_plan.h"

#include <optional>

struct CommandLine;

// The --expect plan, read as the command line asks (--expect-columns), for
// --list and --watch alike. Says on standard error why a plan cannot be
// used, and which of its columns were used with --verbose or where one was
// ignored, so that nobody compares with less than they think.
std::optional<SitePlan> readExpectedPlan(const CommandLine &commandLine);
