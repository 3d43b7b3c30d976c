#include "status/IPCKorvaStatus.h"

#include "support/publisher.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

// Reaches the reader's view, to pull it away behind the reader's back.
struct IPCKorvaStatusProbe
{
    static void* View(const IPCKorvaStatus& reader) { return reader.m_view; }
};

namespace {

using velmo_test::TestSection;
using velmo_test::SectionExists;

TEST(IPCKorvaStatus, ReadsUnknownUntilInitialized)
{
    IPCKorvaStatus reader;
    unsigned char byte = 0;
    EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown);
    EXPECT_FALSE(reader.ReadBytes(0, 1, &byte));
    EXPECT_EQ(reader.LastError(), 0u);
}

TEST(IPCKorvaStatus, MissingSectionFailsWithTheSystemError)
{
    ASSERT_FALSE(SectionExists());
    IPCKorvaStatus reader;
    EXPECT_FALSE(reader.Initialize(FILE_MAP_READ));
    EXPECT_EQ(reader.LastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown);
}

TEST(IPCKorvaStatus, FollowsTheStatusAsThePublisherChangesIt)
{
    TestSection section;
    section.WriteStatus(1);
    IPCKorvaStatus reader;
    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    EXPECT_EQ(reader.LastError(), 0u);
    EXPECT_EQ(reader.ReadStatus(), kKorvaEnabled);

    section.WriteStatus(0);
    EXPECT_EQ(reader.ReadStatus(), kKorvaDisabled);
    section.WriteStatus(2);
    EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown);
    // Out-of-range values are the caller's to reject.
    section.WriteStatus(7);
    EXPECT_EQ(reader.ReadStatus(), 7);
    section.WriteStatus(0xFFFFFFFF);
    EXPECT_EQ(reader.ReadStatus(), -1);
}

TEST(IPCKorvaStatus, RecordsWithoutAStatusReadUnknown)
{
    struct Record
    {
        std::uint32_t header;
        std::uint32_t length;
    };
    // 505 would run the status past the end of the view.
    const Record records[] = {{1, 4}, {0xFFFFFFFF, 4}, {0, 0}, {0, 2}, {0, 8}, {0, 505},
                              {0, 0xFFFFFFFF}};
    TestSection section;
    IPCKorvaStatus reader;
    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    for (const Record& record : records) {
        SCOPED_TRACE(testing::Message() << "header " << record.header << ", length "
                                        << record.length);
        section.Write(record.header, record.length, 1);
        EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown);
    }
    section.Write(0, 4, 1);
    EXPECT_EQ(reader.ReadStatus(), kKorvaEnabled);
}

TEST(IPCKorvaStatus, ReadsOnlyInsideItsView)
{
    TestSection section;
    for (int i = 0; i < 512; ++i)
        section.Bytes()[i] = static_cast<std::uint8_t>(i);
    IPCKorvaStatus reader;
    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));

    unsigned char whole[512] = {};
    EXPECT_TRUE(reader.ReadBytes(0, 512, whole));
    EXPECT_EQ(std::memcmp(whole, section.Bytes(), sizeof whole), 0);
    unsigned char tail[12] = {};
    EXPECT_TRUE(reader.ReadBytes(500, 12, tail));
    EXPECT_EQ(std::memcmp(tail, section.Bytes() + 500, sizeof tail), 0);
    EXPECT_TRUE(reader.ReadBytes(512, 0, tail));

    struct Range
    {
        DWORD offset;
        DWORD length;
    };
    // The last three wrap around 32 bits if added up.
    const Range outside[] = {{0, 513},          {512, 1}, {1, 512},         {513, 0},
                             {0xFFFFFFFF, 2}, {2, 0xFFFFFFFF}, {0xFFFFFFF0, 0x20}};
    // Larger than the view's whole allocation, so even a wrongly accepted range
    // could only fill it, and any byte written shows.
    std::vector<unsigned char> destination(64 * 1024, 0xCC);
    for (const Range& range : outside) {
        SCOPED_TRACE(testing::Message() << "offset " << range.offset << ", length "
                                        << range.length);
        EXPECT_FALSE(reader.ReadBytes(range.offset, range.length, destination.data()));
        EXPECT_EQ(std::count(destination.begin(), destination.end(), 0xCC),
                  static_cast<std::ptrdiff_t>(destination.size()));
    }
}

TEST(IPCKorvaStatus, ReadsUnknownAfterClose)
{
    TestSection section;
    section.WriteStatus(1);
    IPCKorvaStatus reader;
    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    ASSERT_EQ(reader.ReadStatus(), kKorvaEnabled);

    reader.Close();
    unsigned char byte = 0;
    EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown);
    EXPECT_FALSE(reader.ReadBytes(0, 1, &byte));
    EXPECT_EQ(reader.LastError(), 0u);
    reader.Close(); // again, as the dialog may before the destructor does
    EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown);
}

// The reader's handles are the only ones left once the publisher has gone,
// so the section outliving Close would mean a leaked handle or view.
TEST(IPCKorvaStatus, InitializeAgainReleasesWhatTheFirstHeld)
{
    IPCKorvaStatus reader;
    {
        TestSection section;
        section.WriteStatus(0);
        ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
        ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
        EXPECT_EQ(reader.ReadStatus(), kKorvaDisabled);
    }
    EXPECT_TRUE(SectionExists());
    EXPECT_EQ(reader.ReadStatus(), kKorvaDisabled);
    reader.Close();
    EXPECT_FALSE(SectionExists());
}

TEST(IPCKorvaStatus, RecoversWhenTheSectionAppearsLater)
{
    IPCKorvaStatus reader;
    ASSERT_FALSE(reader.Initialize(FILE_MAP_READ));
    TestSection section;
    section.WriteStatus(1);
    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    EXPECT_EQ(reader.LastError(), 0u);
    EXPECT_EQ(reader.ReadStatus(), kKorvaEnabled);
}

TEST(IPCKorvaStatus, SurvivesItsViewBeingUnmapped)
{
    TestSection section;
    section.WriteStatus(1);
    IPCKorvaStatus reader;
    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    ASSERT_TRUE(UnmapViewOfFile(IPCKorvaStatusProbe::View(reader)));

    unsigned char byte = 0;
    EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown);
    EXPECT_FALSE(reader.ReadBytes(0, 1, &byte));

    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    EXPECT_EQ(reader.ReadStatus(), kKorvaEnabled);
}

TEST(IPCKorvaStatus, SurvivesItsViewLosingAccess)
{
    TestSection section;
    section.WriteStatus(0);
    IPCKorvaStatus reader;
    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(IPCKorvaStatusProbe::View(reader), 512, PAGE_NOACCESS, &previous));

    for (int poll = 0; poll < 3; ++poll)
        EXPECT_EQ(reader.ReadStatus(), kKorvaUnknown) << "poll " << poll;

    ASSERT_TRUE(reader.Initialize(FILE_MAP_READ));
    EXPECT_EQ(reader.ReadStatus(), kKorvaDisabled);
}

} // namespace
