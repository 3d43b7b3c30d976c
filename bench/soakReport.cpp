#include "bench/soakReport.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace velmo_perf {

namespace {

using velmo_test::Snapshot;

double Mib(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

std::string Number(double value)
{
    return std::to_string(static_cast<long>(value));
}

// "type 0x10: 12 -> 14" for each type whose count changed; "none" if none did.
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

class Markdown
{
public:
    void Line(const std::string& text) { m_text += text + "\n"; }

    void Row(const std::string& what, double start, double end, const char* unit = "",
             int decimals = 0)
    {
        char line[256];
        std::snprintf(line, sizeof line, "| %s | %.*f%s | %.*f%s | %+.*f%s |", what.c_str(),
                      decimals, start, unit, decimals, end, unit, decimals, end - start, unit);
        Line(line);
    }

    void Comparison(const Snapshot& start, const Snapshot& end, bool gdiCounted)
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

    // At most `rows` of the samples, evenly spread, the last always among them.
    void Trend(const std::vector<velmo_test::SoakSample>& samples, std::size_t rows)
    {
        Line("| after s | handles | private bytes | working set | GDI objects | windows |");
        Line("|---:|---:|---:|---:|---:|---:|");
        const std::size_t step = std::max<std::size_t>(1, (samples.size() + rows - 1) / rows);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (i % step != 0 && i + 1 != samples.size())
                continue;
            const Snapshot& s = samples[i].snapshot;
            char line[256];
            std::snprintf(line, sizeof line, "| %.0f | %ld | %.2f MiB | %.2f MiB | %ld | %ld |",
                          samples[i].seconds, s.handles, Mib(s.memory.privateBytes),
                          Mib(s.memory.workingSet), s.gdiObjects, s.windows);
            Line(line);
        }
        Line("");
    }

    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// "handles 34 → 34, private bytes 5.98 → 5.98 MiB, ...": start and end in a line.
std::string Summary(const velmo_test::SoakFigures& f)
{
    const Snapshot& start = f.samples.front().snapshot;
    const Snapshot& end = f.samples.back().snapshot;
    char text[512];
    std::snprintf(text, sizeof text,
                  "handles %ld → %ld, private bytes %.2f → %.2f MiB, GDI objects %ld → %ld "
                  "(+%ld in Wine's DC cache), windows %ld → %ld",
                  start.handles, end.handles, Mib(start.memory.privateBytes),
                  Mib(end.memory.privateBytes), start.gdiObjects, end.gdiObjects,
                  3 * f.gdiCacheTriplets, start.windows, end.windows);
    return text;
}

} // namespace

std::string SoakMarkdown(const velmo_test::SoakFigures& f)
{
    Markdown report;
    report.Line("velmo.exe for " + Number(f.seconds) + " s after " + Number(f.warmUpRounds) +
                " warm-up rounds: " + Number(f.rounds) + " rounds of " +
                Number(f.stepsPerRound) + " steps, " + Number(f.polls) + " polls (period " +
                Number(f.periodMs) + " ms; one every " +
                Number(f.seconds * 1000 / std::max(f.polls, 1L)) + " ms on average), " +
                Number(f.boxes) + " unknown-status boxes answered.");
    report.Line("");
    report.Comparison(f.samples.front().snapshot, f.samples.back().snapshot, f.gdiCounted);
    report.Line("Handles by type, changed: " + Changes(f.handlesBefore, f.handlesAfter) +
                ". GDI objects by type, changed: " + Changes(f.gdiBefore, f.gdiAfter) + " (" +
                std::to_string(f.gdiCacheTriplets) +
                " DC, region and bitmap together: Wine's cache of window DCs; " +
                std::to_string(f.gdiOthers) + " others).");
    report.Line("");
    report.Line("<!-- value soak-summary=" + Summary(f) + " over " + Number(f.rounds) +
                " rounds and " + Number(f.polls) + " polls. -->");
    report.Line("After each round (the least of six readings 50 ms apart):");
    report.Line("");
    report.Trend(f.samples, 12);
    return report.Text();
}

} // namespace velmo_perf
