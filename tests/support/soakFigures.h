// What a soak measured of velmo.exe, handed from the soak to the bench's
// report as a text file, one fact a line.
#pragma once

#include "support/processProbe.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmo_test {

struct SoakSample
{
    double seconds;
    Snapshot snapshot;
};

struct SoakFigures
{
    double seconds = 0;
    long warmUpRounds = 0;
    long rounds = 0;
    long stepsPerRound = 0;
    long polls = 0;
    long periodMs = 0;
    long boxes = 0;
    bool gdiCounted = false;
    // DCs, regions and bitmaps gained together (Wine's cache of window DCs),
    // and every other GDI object gained.
    long gdiCacheTriplets = 0;
    long gdiOthers = 0;
    // After the warm-up first, the end last.
    std::vector<SoakSample> samples;
    std::map<int, long> handlesBefore, handlesAfter, gdiBefore, gdiAfter;
};

// To and from a file by its Windows path; false when it cannot be written or
// read whole.
bool WriteSoakFigures(const SoakFigures& figures, const std::wstring& path);
std::optional<SoakFigures> ReadSoakFigures(const std::wstring& path);

} // namespace velmo_test
