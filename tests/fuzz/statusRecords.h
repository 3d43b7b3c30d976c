// Status records as the fuzz cases publish them, and what the reader must
// make of them: the oracle of the reader and of the poll.
#pragma once

#include "fuzzRun.h"

#include <array>
#include <cstdint>
#include <string>

namespace velmo_test {
class TestSection;
}

namespace velmo_fuzz {

// The bytes the reader maps: the record and what follows it.
inline constexpr std::uint32_t kViewBytes = 512;
using RecordImage = std::array<std::uint8_t, kViewBytes>;

// One of several shapes: a definite status, any status, a header other than
// 0, a length other than 4, or bytes at random; the tail sometimes random too.
RecordImage RandomRecord(FuzzRun& run);

// The record as a reader sees it in a section of `sectionSize` bytes: past
// the section's end the page reads as zero, since nothing is written there.
RecordImage Visible(const RecordImage& record, std::uint64_t sectionSize);

// Writes what fits of `record` into a section of `sectionSize` bytes.
void Publish(velmo_test::TestSection& section, const RecordImage& record,
             std::uint64_t sectionSize);

// What ReadStatus gives for a visible record: the status of a record with
// header 0 and length 4, else unknown (2).
std::int32_t ExpectedReading(const RecordImage& visible);

// "header 0x0 length 0x4 status 0x1", for failure messages.
std::string Describe(const RecordImage& record);

} // namespace velmo_fuzz
