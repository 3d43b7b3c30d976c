#include "soakReadings.h"

#include <windows.h>

#include <algorithm>

namespace velmo_soak {

velmo_test::Snapshot Settled(const velmo_test::ProcessProbe& probe)
{
    velmo_test::Snapshot least = probe.Take();
    for (int i = 0; i < 5; ++i) {
        Sleep(50);
        const velmo_test::Snapshot next = probe.Take();
        least.handles = std::min(least.handles, next.handles);
        least.memory.privateBytes = std::min(least.memory.privateBytes, next.memory.privateBytes);
        least.memory.workingSet = std::min(least.memory.workingSet, next.memory.workingSet);
        least.gdiObjects = std::min(least.gdiObjects, next.gdiObjects);
        least.windows = std::min(least.windows, next.windows);
    }
    return least;
}

GdiGrowth GdiGrowthOf(const std::map<int, long>& before, const std::map<int, long>& after)
{
    constexpr int kDc = 0x01;
    constexpr int kRegion = 0x04;
    constexpr int kBitmap = 0x05;
    auto count = [](const std::map<int, long>& counts, int type) {
        const auto found = counts.find(type);
        return found == counts.end() ? 0L : found->second;
    };
    GdiGrowth growth;
    long total = 0;
    for (const auto& [type, number] : after)
        total += number;
    for (const auto& [type, number] : before)
        total -= number;
    const long dcs = count(after, kDc) - count(before, kDc);
    const long regions = count(after, kRegion) - count(before, kRegion);
    const long bitmaps = count(after, kBitmap) - count(before, kBitmap);
    growth.cacheTriplets = std::max(0L, std::min({dcs, regions, bitmaps}));
    growth.unpaired = dcs + regions + bitmaps - 3 * growth.cacheTriplets;
    growth.others = total - dcs - regions - bitmaps;
    growth.dcsAtEnd = count(after, kDc);
    return growth;
}

} // namespace velmo_soak
