#pragma once

#include "devicelist/site_tally.h"

#include <optional>

struct CommandLine;

// --expect for --list and --watch.
namespace ExpectedDevices {

// The plan the command line names, read as it asks (--expect-columns),
// ready to tally what answers. Says on standard error why a plan cannot be
// used, and which of its columns were used with --verbose or where one was
// ignored, so that nobody compares with less than they think; nothing when
// it cannot be used.
std::optional<SiteTally> load(const CommandLine &commandLine);

} // namespace ExpectedDevices
