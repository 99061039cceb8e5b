#pragma once

#include <QLoggingCategory>

// The veltrin.devicelist logging category: warnings are shown, the rest only when
// asked for, e.g. QT_LOGGING_RULES="veltrin.devicelist.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDeviceList)
