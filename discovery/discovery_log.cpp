#include "discovery/discovery_log.h"

Q_LOGGING_CATEGORY(lcDiscovery, "veltrin.discovery", QtWarningMsg)
