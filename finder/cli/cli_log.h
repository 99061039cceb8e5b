#pragma once

#include <QLoggingCategory>

// The veltrin.cli logging category: warnings are shown, the rest only when
// asked for, e.g. QT_LOGGING_RULES="veltrin.cli.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcCli)
