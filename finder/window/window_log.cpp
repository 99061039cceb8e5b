#include "finder/window/window_log.h"

Q_LOGGING_CATEGORY(lcWindow, "veltrin.window", QtWarningMsg)
