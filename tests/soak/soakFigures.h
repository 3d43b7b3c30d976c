// What the soak reads of velmo.exe, and the Markdown it writes about it.
#pragma once

#include "support/processProbe.h"

#include <map>
#include <string>
#include <vector>

namespace velmo_soak {

// The least of a few readings: a poll holds the section and a key for a
// moment, and a reading taken then would count them.
velmo_test::Snapshot Settled(const velmo_test::ProcessProbe& probe);

// "type 0x10: 12 -> 14" for each type whose count changed; "none" if none did.
std::string Changes(const std::map<int, long>& before, const std::map<int, long>& after);

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

// "handles 34 -> 34, private bytes 5.98 -> 5.98 MiB, ...": start and end in a line.
std::string Summary(const velmo_test::Snapshot& start, const velmo_test::Snapshot& end,
                    const GdiGrowth& gdi);

struct Sample
{
    double seconds;
    velmo_test::Snapshot snapshot;
};

// Markdown, to standard output and, when VELMO_SOAK_REPORT names a file
// (a Unix path is drive Z:), to that file.
class Report
{
public:
    void Line(const std::string& text) { m_text += text + "\n"; }
    void Comparison(const velmo_test::Snapshot& start, const velmo_test::Snapshot& end,
                    bool gdiCounted);
    // At most `rows` of the samples, evenly spread, the last always among them.
    void Trend(const std::vector<Sample>& samples, std::size_t rows);
    void Publish() const;

private:
    void Row(const std::string& what, double start, double end, const char* unit = "",
             int decimals = 0);

    std::string m_text;
};

} // namespace velmo_soak
