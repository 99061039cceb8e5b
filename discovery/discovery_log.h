#pragma once

#include <QLoggingCategory>

// The veltrin.discovery logging category: warnings are shown, the rest only when
// asked for, e.g. QT_LOGGING_RULES="veltrin.discovery.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)
