#include "devicelist/devicelist_log.h"

Q_LOGGING_CATEGORY(lcDeviceList, "veltrin.devicelist", QtWarningMsg)
