#include "support/soakFigures.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace velmo_test {

namespace {

void WriteCounts(std::ostream& out, const char* name, const std::map<int, long>& counts)
{
    out << name;
    for (const auto& [type, count] : counts)
        out << ' ' << type << ' ' << count;
    out << '\n';
}

void ReadCounts(std::istream& in, std::map<int, long>& counts)
{
    for (int type = 0; in >> type;)
        in >> counts[type];
}

} // namespace

bool WriteSoakFigures(const SoakFigures& f, const std::wstring& path)
{
    std::ofstream out{std::filesystem::path(path)};
    out << "run " << f.seconds << ' ' << f.warmUpRounds << ' ' << f.rounds << ' '
        << f.stepsPerRound << ' ' << f.polls << ' ' << f.periodMs << ' ' << f.boxes << ' '
        << f.gdiCounted << ' ' << f.gdiCacheTriplets << ' ' << f.gdiOthers << '\n';
    for (const SoakSample& sample : f.samples) {
        const Snapshot& s = sample.snapshot;
        out << "sample " << sample.seconds << ' ' << s.handles << ' ' << s.memory.privateBytes
            << ' ' << s.memory.workingSet << ' ' << s.gdiObjects << ' ' << s.windows << '\n';
    }
    WriteCounts(out, "handles-before", f.handlesBefore);
    WriteCounts(out, "handles-after", f.handlesAfter);
    WriteCounts(out, "gdi-before", f.gdiBefore);
    WriteCounts(out, "gdi-after", f.gdiAfter);
    return static_cast<bool>(out.flush());
}

std::optional<SoakFigures> ReadSoakFigures(const std::wstring& path)
{
    std::ifstream in{std::filesystem::path(path)};
    SoakFigures f;
    bool run = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "run") {
            run = static_cast<bool>(fields >> f.seconds >> f.warmUpRounds >> f.rounds >>
                                    f.stepsPerRound >> f.polls >> f.periodMs >> f.boxes >>
                                    f.gdiCounted >> f.gdiCacheTriplets >> f.gdiOthers);
        } else if (kind == "sample") {
            SoakSample sample{};
            Snapshot& s = sample.snapshot;
            if (fields >> sample.seconds >> s.handles >> s.memory.privateBytes >>
                s.memory.workingSet >> s.gdiObjects >> s.windows)
                f.samples.push_back(sample);
        } else if (kind == "handles-before") {
            ReadCounts(fields, f.handlesBefore);
        } else if (kind == "handles-after") {
            ReadCounts(fields, f.handlesAfter);
        } else if (kind == "gdi-before") {
            ReadCounts(fields, f.gdiBefore);
        } else if (kind == "gdi-after") {
            ReadCounts(fields, f.gdiAfter);
        }
    }
    if (!run || f.samples.empty())
        return std::nullopt;
    return f;
}

} // namespace velmo_test
