// What the soak reads of velmo.exe, settled and sorted for its checks.
#pragma once

#include "support/processProbe.h"

#include <map>

namespace velmo_soak {

// The least of a few readings: a poll holds the section and a key for a
// moment, and a reading taken then would count them.
velmo_test::Snapshot Settled(const velmo_test::ProcessProbe& probe);

// What velmo.exe's GDI objects gained, with Wine's cache of window DCs apart:
// Wine keeps up to 64 DCs of windows once used, each with a region and a
// bitmap, so those three types grow together, at times that depend on how
// many DCs were in use at once, up to that ceiling.
struct GdiGrowth
{
    long others = 0;         // every other type
    long cacheTriplets = 0;  // DC, region and bitmap gained together
    long unpaired = 0;       // DCs, regions or bitmaps gained beyond the triplets
    long dcsAtEnd = 0;
};
GdiGrowth GdiGrowthOf(const std::map<int, long>& before, const std::map<int, long>& after);
inline constexpr long kWineDcCacheSize = 64;

} // namespace velmo_soak
