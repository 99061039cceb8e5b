#pragma once

#include "devicelist/site_tally.h"

#include <QString>

#include <optional>

struct CommandLine;

// --expect for --list and --watch.
namespace ExpectedDevices {

// The plan the command line names, ready to tally what answers; nothing,
// with the reason printed, when it cannot be used.
std::optional<SiteTally> load(const CommandLine &commandLine);

} // namespace ExpectedDevices
