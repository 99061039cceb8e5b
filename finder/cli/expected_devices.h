#pragma once

#include "devicelist/site_tally.h"

#include <QString>

#include <optional>

// --expect for --list and --watch.
namespace ExpectedDevices {

// The plan at path, ready to tally what answers; nothing, with the plan's
// error printed, when it cannot be used.
std::optional<SiteTally> load(const QString &path);

} // namespace ExpectedDevices
