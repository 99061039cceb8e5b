#include "finder/cli/cli_log.h"

Q_LOGGING_CATEGORY(lcCli, "veltrin.cli", QtWarningMsg)
