// Random records in Global\KorvaStatus sections of random size, read the way
// the poll reads them (open, read, close), and random ranges read out of the
// view: the reader gives exactly what the record says, never faults, and
// never copies outside the range it was asked for.
#include "statusRecords.h"

#include "status/IPCKorvaStatus.h"
#include "support/publisher.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

namespace velmo_fuzz {
namespace {

constexpr std::size_t kSectionSizes = 300;
constexpr std::size_t kRecords = 100000;
// A poll opens the section anew each time; here every so many records.
constexpr std::size_t kReadsPerOpen = 16;

std::vector<std::uint64_t> SectionSizes(FuzzRun& run, std::size_t count)
{
    std::vector<std::uint64_t> sizes = {1,    8,    11,    12,      255,     256,
                                        511,  512,  513,   4095,    4096,    4097,
                                        65536, 1u << 20, 256u << 20};
    while (sizes.size() < count) {
        switch (run.Between(0, 3)) {
        case 0:
            sizes.push_back(run.Between(1, 1024));
            break;
        case 1:
            sizes.push_back(run.Between(500, 524));
            break;
        case 2:
            sizes.push_back(run.Between(1, 65536));
            break;
        default:
            sizes.push_back(run.Between(1, 1u << 24));
            break;
        }
    }
    return sizes;
}

struct Range
{
    std::uint32_t offset;
    std::uint32_t length;
};

// Ranges inside, at and past the end of the view, and ones whose end wraps.
Range RandomRange(FuzzRun& run)
{
    constexpr std::uint32_t kOffsets[] = {0, 8, 500, 508, 511, 512, 513, 0xFFFFFFF0, 0xFFFFFFFF};
    const std::uint32_t offset = run.Chance(40) ? run.Pick(kOffsets)
                                 : run.Chance(90) ? static_cast<std::uint32_t>(run.Between(0, 520))
                                                  : run.Word();
    const std::uint32_t room = offset <= kViewBytes ? kViewBytes - offset : 0;
    constexpr std::uint32_t kLengths[] = {0, 1, 4, 8, 0x10, 0xFFFFFFFF, 0x80000000};
    switch (run.Between(0, 3)) {
    case 0:
        return {offset, run.Pick(kLengths)};
    case 1:
        return {offset, room + static_cast<std::uint32_t>(run.Between(0, 1))};
    case 2:
        return {offset, static_cast<std::uint32_t>(run.Between(0, room))};
    default:
        return {offset, run.Word()};
    }
}

class ReaderFuzz
{
public:
    explicit ReaderFuzz(FuzzRun& run) : m_run(run), m_mismatches(run) {}

    void Section(std::uint64_t size, std::size_t records)
    {
        velmo_test::TestSection section(static_cast<DWORD>(size));
        ASSERT_TRUE(section.Valid()) << "section of " << size << " bytes";
        IPCKorvaStatus reader;
        bool mapped = false;
        for (std::size_t i = 0; i < records; ++i) {
            ++m_cases;
            const RecordImage record = RandomRecord(m_run);
            Publish(section, record, size);
            if (i % kReadsPerOpen == 0)
                mapped = Open(reader, size);
            const RecordImage visible = Visible(record, size);
            CheckStatus(reader, mapped ? ExpectedReading(visible) : 2, record, size);
            CheckRange(reader, mapped, visible);
            if (i % kReadsPerOpen == kReadsPerOpen - 1 || i + 1 == records)
                CheckClosed(reader);
        }
    }

    std::size_t Cases() const { return m_cases; }
    const Mismatches& Found() const { return m_mismatches; }

    std::string Counts() const
    {
        std::ostringstream text;
        text << m_cases << " records, " << m_ranges << " ranges, " << m_opens
             << " opens; readings:";
        for (const auto& [reading, count] : m_readings)
            text << " " << reading << "=" << count;
        return text.str();
    }

private:
    bool Open(IPCKorvaStatus& reader, std::uint64_t size)
    {
        ++m_opens;
        // Whether a section smaller than the view maps is the system's affair
        // (Wine rounds it up to a page); a failed open must say why.
        const bool mapped = reader.Initialize(FILE_MAP_READ);
        if (mapped != (reader.LastError() == 0))
            Mismatch("section of " + std::to_string(size) + " bytes: open gave " +
                     std::to_string(mapped) + ", last error " + std::to_string(reader.LastError()));
        return mapped;
    }

    void CheckStatus(IPCKorvaStatus& reader, std::int32_t expected, const RecordImage& record,
                     std::uint64_t size)
    {
        const std::int32_t reading = reader.ReadStatus();
        ++m_readings[reading == 0 || reading == 1 || reading == 2 ? std::to_string(reading)
                                                                   : std::string("other")];
        if (reading != expected)
            Mismatch(Describe(record) + " in " + std::to_string(size) + " bytes read as " +
                     std::to_string(reading) + ", not " + std::to_string(expected));
    }

    void CheckRange(IPCKorvaStatus& reader, bool mapped, const RecordImage& visible)
    {
        ++m_ranges;
        const Range range = RandomRange(m_run);
        // Twice the view, so that a range wrongly taken shows in the second half.
        std::array<std::uint8_t, 2 * kViewBytes> destination;
        destination.fill(0xCC);
        const bool inside = range.offset <= kViewBytes && range.length <= kViewBytes - range.offset;
        const bool read = reader.ReadBytes(range.offset, range.length, destination.data());
        const std::string what =
            "range " + std::to_string(range.offset) + "+" + std::to_string(range.length);
        if (read != (mapped && inside)) {
            Mismatch(what + ": read gave " + std::to_string(read));
            return;
        }
        const std::size_t copied = read ? range.length : 0;
        const std::uint8_t* expected = visible.data() + (read ? range.offset : 0);
        if (std::memcmp(destination.data(), expected, copied) != 0)
            Mismatch(what + ": bytes differ from the section's");
        if (std::any_of(destination.begin() + copied, destination.end(),
                        [](std::uint8_t byte) { return byte != 0xCC; }))
            Mismatch(what + ": bytes written outside the range");
    }

    void CheckClosed(IPCKorvaStatus& reader)
    {
        reader.Close();
        std::uint8_t byte = 0;
        if (reader.ReadStatus() != 2 || reader.ReadBytes(0, 1, &byte))
            Mismatch("a closed reader still reads");
    }

    void Mismatch(const std::string& what) { m_mismatches.Add(m_cases, what); }

    FuzzRun& m_run;
    Mismatches m_mismatches;
    std::size_t m_cases = 0;
    std::size_t m_ranges = 0;
    std::size_t m_opens = 0;
    std::map<std::string, std::size_t> m_readings;
};

TEST(ReaderFuzz, RandomRecordsInSectionsOfRandomSizeReadAsTheRecordSays)
{
    ASSERT_FALSE(velmo_test::SectionExists()) << "another Global\\KorvaStatus is alive";
    FuzzRun run("reader");
    const std::vector<std::uint64_t> sizes = SectionSizes(run, kSectionSizes * run.Scale());
    const std::size_t perSection = (kRecords * run.Scale() + sizes.size() - 1) / sizes.size();

    ReaderFuzz fuzz(run);
    for (const std::uint64_t size : sizes) {
        fuzz.Section(size, perSection);
        if (::testing::Test::HasFatalFailure())
            break;
    }

    run.Report(std::to_string(sizes.size()) + " section sizes, " + fuzz.Counts());
    EXPECT_EQ(fuzz.Found().Count(), 0u);
    EXPECT_GE(fuzz.Cases(), kRecords * run.Scale());
}

} // namespace
} // namespace velmo_fuzz
