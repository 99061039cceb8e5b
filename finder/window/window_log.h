#pragma once

#include <QLoggingCategory>

// The veltrin.window logging category: warnings are shown, the rest only when
// asked for, e.g. QT_LOGGING_RULES="veltrin.window.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
