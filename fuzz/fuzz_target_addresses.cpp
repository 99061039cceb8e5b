// Target specs as typed after --target or into "Query addresses…": any text
// either is refused with a reason, or yields sorted, disjoint ranges within
// the per-query limit; leaving out a subnet only ever removes addresses of it.
// Input: the first 5 bytes are a subnet (address, prefix), the rest the specs.

#include "fuzz/fuzz_check.h"
#include "discovery/target_addresses.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 5)
        return 0;
    const Ipv4Subnet subnet{quint32(data[0]) << 24 | quint32(data[1]) << 16 | quint32(data[2]) << 8 | data[3],
                            data[4] % 33};
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 5), qsizetype(size - 5));

    if (const std::optional<TargetRange> one = parseTargetRange(text))
        FUZZ_CHECK(one->first <= one->last);

    const TargetList list = parseTargetAddresses({text});
    if (!list.error.isEmpty()) {
        FUZZ_CHECK(list.ranges.isEmpty());
        return 0;
    }
    FUZZ_CHECK(list.addressCount() <= TargetList::MaxAddresses);
    for (qsizetype i = 0; i < list.ranges.size(); ++i) {
        FUZZ_CHECK(list.ranges[i].first <= list.ranges[i].last);
        if (i > 0)   // sorted, and neither overlapping nor touching
            FUZZ_CHECK(quint64(list.ranges[i - 1].last) + 1 < list.ranges[i].first);
    }

    const quint32 hostMask = subnet.prefixLength == 0 ? 0xffffffffu : (1u << (32 - subnet.prefixLength)) - 1;
    const quint32 low = subnet.network & ~hostMask;
    const quint32 high = low | hostMask;
    const TargetList rest = list.without({subnet});
    quint64 inside = 0;
    for (const TargetRange &range : list.ranges) {
        if (range.last >= low && range.first <= high)
            inside += quint64(std::min(range.last, high)) - std::max(range.first, low) + 1;
    }
    FUZZ_CHECK(rest.addressCount() + inside == list.addressCount());
    for (const TargetRange &range : rest.ranges)
        FUZZ_CHECK(range.first <= range.last && (range.last < low || range.first > high));
    return 0;
}
