// The log file itself: created in every run, appended to, shared with other
// processes. These cases move the prefix's velmo.log aside and back.
#include "log/logTestSupport.h"

#include "common/kernelHandle.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace log_test {
namespace {

using velmo_test::LogPath;

bool FileExists(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

void WriteNewFile(const std::wstring& path, const std::string& text)
{
    const UniqueKernelHandle file(FileHandle(CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(file) << "creating " << std::string(path.begin(), path.end());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written,
                          nullptr));
    ASSERT_EQ(written, text.size());
}

class LogFileAbsent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_aside.Usable())
            GTEST_SKIP() << "velmo.log cannot be moved aside (another process holds it?), error "
                         << m_aside.MoveError();
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_FALSE(FileExists(LogPath(), data));
    }

private:
    velmo_test::LogSetAside m_aside;
};

TEST_F(LogFileAbsent, IsCreatedEmptyWithTracingOff)
{
    const ChildRun run = RunChild("dword0", NewTag());
    ASSERT_EQ(run.exitCode, 0);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(FileExists(LogPath(), data));
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
}

TEST_F(LogFileAbsent, ExistingContentsAreKeptAndRecordsFollowThem)
{
    const std::string earlier = "earlier contents\r\nsecond earlier line\r\n";
    WriteNewFile(LogPath(), earlier);
    const std::string tag = NewTag();

    const ChildRun run = RunChild("dword1", tag);
    ASSERT_EQ(run.exitCode, 0);

    const std::string text = ReadWholeFile(LogPath());
    ASSERT_EQ(text.substr(0, earlier.size()), earlier);
    const std::string appended = text.substr(earlier.size());
    EXPECT_EQ(EntriesOf(Lines(appended)),
              (std::vector<std::string>{tag + " first", tag + " second", tag + " third"}));
    EXPECT_EQ(Lines(appended), run.records);
    ASSERT_FALSE(appended.empty());
    EXPECT_EQ(appended.back(), '\n');
}

TEST_F(LogFileAbsent, UnopenableFileIsReportedOnStandardOutputOnly)
{
    // A directory where the file should be cannot be opened as a file.
    ASSERT_TRUE(CreateDirectoryW(LogPath().c_str(), nullptr));
    const std::string tag = NewTag();

    const ChildRun run = RunChild("dword1", tag);

    ASSERT_EQ(run.exitCode, 0);
    // The records are skipped silently: the one line is the open failure.
    EXPECT_EQ(run.output, std::vector<std::string>{kCannotOpenFileLine});
    EXPECT_TRUE(run.records.empty());
}

// An event pair for one child run, closed when the test ends.
struct MeetingPoint
{
    explicit MeetingPoint(const std::string& tag)
        : held(CreateEventW(nullptr, TRUE, FALSE, HeldEventName(tag).c_str())),
          release(CreateEventW(nullptr, TRUE, FALSE, ReleaseEventName(tag).c_str()))
    {}
    UniqueKernelHandle held;
    UniqueKernelHandle release;
};

TEST(LogFileSharing, OthersCanReadAndWriteWhileAProcessHoldsIt)
{
    const std::string tag = NewTag();
    const MeetingPoint meet(tag);
    ASSERT_TRUE(meet.held && meet.release);

    ChildRun run;
    std::thread child([&] { run = RunChild("shared", tag); });
    const bool childHoldsLog = WaitForSingleObject(meet.held.Get(), 20000) == WAIT_OBJECT_0;
    UniqueKernelHandle ours;
    if (childHoldsLog) {
        ours.Reset(FileHandle(CreateFileW(LogPath().c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    }
    const DWORD openError = GetLastError();
    SetEvent(meet.release.Get());
    child.join();

    ASSERT_TRUE(childHoldsLog);
    ASSERT_TRUE(ours) << "opening the held log for reading and writing, error " << openError;
    ASSERT_EQ(run.exitCode, 0);
    // The child wrote its record while our handle stayed open; it shows through it.
    ASSERT_EQ(run.records.size(), 1u);
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(ours.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    EXPECT_NE(text.find(run.records[0] + "\r\n"), std::string::npos);
}

} // namespace
} // namespace log_test
