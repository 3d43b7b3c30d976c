#include "soakFigures.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace velmo_soak {

namespace {

double Mib(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace

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

std::string Changes(const std::map<int, long>& before, const std::map<int, long>& after)
{
    std::set<int> types;
    for (const auto& [type, count] : before)
        types.insert(type);
    for (const auto& [type, count] : after)
        types.insert(type);
    std::string text;
    for (int type : types) {
        const long from = before.count(type) ? before.at(type) : 0;
        const long to = after.count(type) ? after.at(type) : 0;
        if (from == to)
            continue;
        char item[64];
        std::snprintf(item, sizeof item, "%stype 0x%02x: %ld -> %ld", text.empty() ? "" : ", ",
                      type, from, to);
        text += item;
    }
    return text.empty() ? "none" : text;
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

std::string Summary(const velmo_test::Snapshot& start, const velmo_test::Snapshot& end,
                    const GdiGrowth& gdi)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "handles %ld → %ld, private bytes %.2f → %.2f MiB, GDI objects %ld → %ld "
                  "(+%ld in Wine's DC cache), windows %ld → %ld",
                  start.handles, end.handles, Mib(start.memory.privateBytes),
                  Mib(end.memory.privateBytes), start.gdiObjects, end.gdiObjects,
                  3 * gdi.cacheTriplets, start.windows, end.windows);
    return text;
}

void Report::Row(const std::string& what, double start, double end, const char* unit,
                 int decimals)
{
    char line[256];
    std::snprintf(line, sizeof line, "| %s | %.*f%s | %.*f%s | %+.*f%s |", what.c_str(), decimals,
                  start, unit, decimals, end, unit, decimals, end - start, unit);
    Line(line);
}

void Report::Comparison(const velmo_test::Snapshot& start, const velmo_test::Snapshot& end,
                        bool gdiCounted)
{
    Line("| held by velmo.exe | after warm-up | at the end | change |");
    Line("|---|---:|---:|---:|");
    Row("handles (system handle table)", start.handles, end.handles);
    Row("private bytes (PagefileUsage)", Mib(start.memory.privateBytes),
        Mib(end.memory.privateBytes), " MiB", 2);
    Row("working set", Mib(start.memory.workingSet), Mib(end.memory.workingSet), " MiB", 2);
    Row(gdiCounted ? "GDI objects (its GDI handle table)" : "GDI objects (not countable)",
        start.gdiObjects, end.gdiObjects);
    Row("windows (the USER objects that can be counted)", start.windows, end.windows);
    Line("");
}

void Report::Trend(const std::vector<Sample>& samples, std::size_t rows)
{
    if (samples.empty() || rows == 0)
        return;
    Line("| after s | handles | private bytes | working set | GDI objects | windows |");
    Line("|---:|---:|---:|---:|---:|---:|");
    const std::size_t step = std::max<std::size_t>(1, (samples.size() + rows - 1) / rows);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i % step != 0 && i + 1 != samples.size())
            continue;
        const velmo_test::Snapshot& s = samples[i].snapshot;
        char line[256];
        std::snprintf(line, sizeof line, "| %.0f | %ld | %.2f MiB | %.2f MiB | %ld | %ld |",
                      samples[i].seconds, s.handles, Mib(s.memory.privateBytes),
                      Mib(s.memory.workingSet), s.gdiObjects, s.windows);
        Line(line);
    }
    Line("");
}

void Report::Publish() const
{
    std::fputs(m_text.c_str(), stdout);
    std::fflush(stdout);
    const char* path = std::getenv("VELMO_SOAK_REPORT");
    if (!path || !*path)
        return;
    std::string windowsPath = path[0] == '/' ? std::string("Z:") + path : path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    if (std::FILE* file = std::fopen(windowsPath.c_str(), "w")) {
        std::fputs(m_text.c_str(), file);
        std::fclose(file);
    }
}

} // namespace velmo_soak
