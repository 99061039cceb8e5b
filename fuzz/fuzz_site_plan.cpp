// Site plans as any file may hold them: a plan is refused with a reason, or
// every planned device has an identifier, and each one's own values, as a
// device would send them, match it and no other.

#include "fuzz/fuzz_check.h"
#include "devicelist/site_plan.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const SitePlan plan = SitePlan::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!plan.isValid()) {
        FUZZ_CHECK(plan.devices().isEmpty());
        return 0;
    }
    FUZZ_CHECK(plan.header().found && plan.header().line > 0);
    FUZZ_CHECK(plan.devices().size() <= DeviceRecord::MaxDevices);
    for (qsizetype p = 0; p < plan.devices().size(); ++p) {
        const SitePlan::Device &device = plan.devices()[p];
        FUZZ_CHECK(device.line > plan.header().line);
        FUZZ_CHECK(!SitePlan::macKey(device.mac).isEmpty() || !device.serial.isEmpty() || !device.ip.isEmpty());
        const SitePlan::Match match = plan.classify({device.ip, device.serial, device.mac, device.version});
        FUZZ_CHECK(match.planned == p && match.status == SitePlan::Status::Answered && !match.notes);
    }
    return 0;
}
