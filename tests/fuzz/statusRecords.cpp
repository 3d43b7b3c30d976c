#include "statusRecords.h"

#include "support/publisher.h"
#include "support/testSupport.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace velmo_fuzz {

namespace {

constexpr std::uint32_t kStatusOffset = 8;

std::uint32_t Field(const RecordImage& record, std::uint32_t offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

void SetField(RecordImage& record, std::uint32_t offset, std::uint32_t value)
{
    std::memcpy(record.data() + offset, &value, sizeof value);
}

// How much of a record a section of `sectionSize` bytes holds.
std::size_t Kept(std::uint64_t sectionSize)
{
    return static_cast<std::size_t>(std::min<std::uint64_t>(sectionSize, kViewBytes));
}

std::uint32_t DefiniteOrUnknown(FuzzRun& run)
{
    return static_cast<std::uint32_t>(run.Between(0, 2));
}

std::uint32_t AnyStatus(FuzzRun& run)
{
    constexpr std::uint32_t kEdges[] = {3, 4, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0x100, 0x101};
    return run.Chance(50) ? run.Pick(kEdges) : run.Word();
}

std::uint32_t NonZeroHeader(FuzzRun& run)
{
    constexpr std::uint32_t kEdges[] = {1, 2, 0xFFFFFFFF, 0x80000000, 0x100};
    const std::uint32_t header = run.Chance(50) ? run.Pick(kEdges) : run.Word();
    return header != 0 ? header : 1;
}

std::uint32_t AnyLength(FuzzRun& run)
{
    // Around the status's own size and around the end of the view.
    constexpr std::uint32_t kEdges[] = {0,   1,   2,   3,   5,          8,         16,
                                        500, 503, 504, 505, 0xFFFFFFFF, 0xFFFFFFF8, 0x80000000};
    return run.Chance(70) ? run.Pick(kEdges) : run.Word();
}

} // namespace

RecordImage RandomRecord(FuzzRun& run)
{
    RecordImage record{};
    if (run.Chance(50)) {
        const std::vector<std::uint8_t> tail = run.Bytes(kViewBytes);
        std::copy(tail.begin(), tail.end(), record.begin());
    }
    const std::uint64_t shape = run.Between(0, 99);
    if (shape < 40) {
        SetField(record, 0, 0);
        SetField(record, 4, 4);
        SetField(record, kStatusOffset, DefiniteOrUnknown(run));
    } else if (shape < 55) {
        SetField(record, 0, 0);
        SetField(record, 4, 4);
        SetField(record, kStatusOffset, AnyStatus(run));
    } else if (shape < 70) {
        SetField(record, 0, NonZeroHeader(run));
        SetField(record, 4, run.Chance(50) ? 4 : AnyLength(run));
        SetField(record, kStatusOffset, DefiniteOrUnknown(run));
    } else if (shape < 90) {
        SetField(record, 0, 0);
        SetField(record, 4, AnyLength(run));
        SetField(record, kStatusOffset, DefiniteOrUnknown(run));
    }
    // else: the random bytes as they are (or all zero: disabled).
    return record;
}

RecordImage Visible(const RecordImage& record, std::uint64_t sectionSize)
{
    RecordImage visible{};
    std::copy_n(record.begin(), Kept(sectionSize), visible.begin());
    return visible;
}

void Publish(velmo_test::TestSection& section, const RecordImage& record,
             std::uint64_t sectionSize)
{
    std::memcpy(section.Bytes(), record.data(), Kept(sectionSize));
}

std::int32_t ExpectedReading(const RecordImage& visible)
{
    if (Field(visible, 0) != 0 || Field(visible, 4) != 4)
        return 2;
    return static_cast<std::int32_t>(Field(visible, kStatusOffset));
}

std::string Describe(const RecordImage& record)
{
    std::ostringstream text;
    text << std::hex << "header 0x" << Field(record, 0) << " length 0x" << Field(record, 4)
         << " status 0x" << Field(record, kStatusOffset);
    return text.str();
}

} // namespace velmo_fuzz
