// The layout of one trace record, byte by byte, written by this process
// with tracing switched on.
#include "log/logTestSupport.h"

#include "common/trace.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace log_test {
namespace {

constexpr std::size_t kStampLength = 24;

// One trace call, its message marked at both ends with a tag of its own,
// and the lines it added to the log.
struct Traced
{
    std::string message;
    std::string text;
};

Traced TraceMarked(const std::string& body, const char* sourceFile, int line)
{
    const std::string tag = NewTag();
    const std::string message = tag + ":" + body + ":" + tag;
    const velmo_test::LogCursor cursor;
    CVelmoLog::Trace(message.c_str(), sourceFile, line);
    return {message, LinesWith(cursor.NewText(), tag)};
}

// The time field sits between "[ " and " ]"; everything else is fixed.
std::string StampOf(const std::string& record)
{
    return record.size() >= 2 + kStampLength ? record.substr(2, kStampLength) : std::string();
}

std::string ExpectedRecord(const std::string& stamp, const std::string& message,
                           const std::string& line, const std::string& fileName)
{
    return "[ " + stamp + " ]\tENTRY: " + message + "\tLINE: " + line + "\tFILE: " + fileName +
           "\r\n";
}

ULONGLONG Ticks(const SYSTEMTIME& time)
{
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file))
        return 0;
    return (ULONGLONG(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

TEST(TraceRecord, FieldsAreLaidOutToTheByte)
{
    const Traced traced = TraceMarked("START VELMO", "..\\ui\\velmoDlg.cpp", 15);
    EXPECT_EQ(traced.text,
              ExpectedRecord(StampOf(traced.text), traced.message, "15", "velmoDlg.cpp"));
}

TEST(TraceRecord, TimeIsTheLocalTimeOfTheCallInAsctimeLayout)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::string stamp = StampOf(TraceMarked("time check", "..\\x\\t.cpp", 1).text);

    std::smatch parts;
    const std::regex layout(R"(^([A-Z][a-z]{2}) ([A-Z][a-z]{2}) (\d\d) (\d\d):(\d\d):(\d\d) (\d{4})$)");
    ASSERT_TRUE(std::regex_match(stamp, parts, layout)) << "'" << stamp << "'";
    const auto day = std::find(std::begin(kDays), std::end(kDays), parts[1].str());
    const auto month = std::find(std::begin(kMonths), std::end(kMonths), parts[2].str());
    ASSERT_NE(day, std::end(kDays)) << stamp;
    ASSERT_NE(month, std::end(kMonths)) << stamp;

    SYSTEMTIME written{};
    written.wYear = static_cast<WORD>(std::stoi(parts[7]));
    written.wMonth = static_cast<WORD>(month - std::begin(kMonths) + 1);
    written.wDay = static_cast<WORD>(std::stoi(parts[3]));
    written.wHour = static_cast<WORD>(std::stoi(parts[4]));
    written.wMinute = static_cast<WORD>(std::stoi(parts[5]));
    written.wSecond = static_cast<WORD>(std::stoi(parts[6]));
    const ULONGLONG writtenTicks = Ticks(written);
    ASSERT_NE(writtenTicks, 0u) << "not a calendar date: " << stamp;

    // The weekday belongs to the date, and the date is local time, not UTC.
    FILETIME asFile{static_cast<DWORD>(writtenTicks), static_cast<DWORD>(writtenTicks >> 32)};
    SYSTEMTIME normalised{};
    ASSERT_TRUE(FileTimeToSystemTime(&asFile, &normalised));
    EXPECT_EQ(normalised.wDayOfWeek, day - std::begin(kDays)) << stamp;
    const ULONGLONG oneMinute = 60ull * 10000000ull;
    const ULONGLONG nowTicks = Ticks(now);
    EXPECT_LE(writtenTicks > nowTicks ? writtenTicks - nowTicks : nowTicks - writtenTicks,
              oneMinute)
        << stamp;
}

struct FileNameCase
{
    const char* name;
    const char* sourceFile;
    const char* recorded;
};

void PrintTo(const FileNameCase& c, std::ostream* out)
{
    *out << c.name;
}

class TraceRecordFileName : public ::testing::TestWithParam<FileNameCase>
{};

TEST_P(TraceRecordFileName, KeepsWhatFollowsTheLastBackslash)
{
    const Traced traced = TraceMarked("file name check", GetParam().sourceFile, 3);
    EXPECT_EQ(traced.text,
              ExpectedRecord(StampOf(traced.text), traced.message, "3", GetParam().recorded));
}

INSTANTIATE_TEST_SUITE_P(
    SourcePaths, TraceRecordFileName,
    ::testing::Values(FileNameCase{"ParentFolder", "..\\common\\velmoConfig.cpp", "velmoConfig.cpp"},
                      FileNameCase{"DotFolder", ".\\velmoDlg.cpp", "velmoDlg.cpp"},
                      FileNameCase{"Deep", "a\\b\\c\\d\\deep.cpp", "deep.cpp"},
                      FileNameCase{"NoBackslashIsNONE", "velmo.cpp", "NONE"},
                      FileNameCase{"ForwardSlashesAreNoSeparators", "../ui/velmoDlg.cpp", "NONE"},
                      FileNameCase{"EmptyPathIsNONE", "", "NONE"},
                      FileNameCase{"TrailingBackslashIsEmpty", "..\\ui\\", ""}),
    [](const ::testing::TestParamInfo<FileNameCase>& info) { return std::string(info.param.name); });

struct LineCase
{
    const char* name;
    int line;
    const char* recorded;
};

void PrintTo(const LineCase& c, std::ostream* out)
{
    *out << c.name;
}

class TraceRecordLine : public ::testing::TestWithParam<LineCase>
{};

TEST_P(TraceRecordLine, IsPlainSignedDecimal)
{
    const Traced traced = TraceMarked("line check", "..\\x\\l.cpp", GetParam().line);
    EXPECT_EQ(traced.text,
              ExpectedRecord(StampOf(traced.text), traced.message, GetParam().recorded, "l.cpp"));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TraceRecordLine,
    ::testing::Values(LineCase{"Zero", 0, "0"}, LineCase{"MinusOne", -1, "-1"},
                      LineCase{"Negative", -42, "-42"},
                      LineCase{"NoGrouping", 1234567, "1234567"},
                      LineCase{"Smallest", INT_MIN, "-2147483648"},
                      LineCase{"Largest", INT_MAX, "2147483647"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(TraceRecordMessage, TabsAreWrittenVerbatim)
{
    const Traced traced = TraceMarked("one\ttwo\t", "..\\x\\m.cpp", 5);
    EXPECT_EQ(traced.text, ExpectedRecord(StampOf(traced.text), traced.message, "5", "m.cpp"));
}

TEST(TraceRecordMessage, ANewlineSplitsTheRecordOverTwoLines)
{
    const Traced traced = TraceMarked("upper\nlower", "..\\x\\m.cpp", 6);
    // Text mode: the newline inside the message is written as CR LF too.
    std::string written = traced.message;
    written.replace(written.find('\n'), 1, "\r\n");
    EXPECT_EQ(traced.text, ExpectedRecord(StampOf(traced.text), written, "6", "m.cpp"));
    EXPECT_EQ(Lines(traced.text).size(), 2u);
}

TEST(TraceRecordMessage, BytesAreNotConvertedFromAnyCodePage)
{
    const Traced traced = TraceMarked("caf\xE9 \x80\xFF\x01", "..\\x\\\xC4.cpp", 7);
    EXPECT_EQ(traced.text, ExpectedRecord(StampOf(traced.text), traced.message, "7", "\xC4.cpp"));
}

TEST(TraceRecordMessage, AnEmptyMessageWritesNothing)
{
    // The tag is in the file name: any record of this call would carry it.
    const std::string tag = NewTag();
    const std::string sourceFile = "..\\x\\" + tag + ".cpp";
    const velmo_test::LogCursor cursor;
    CVelmoLog::Trace("", sourceFile.c_str(), 8);
    EXPECT_EQ(LinesWith(cursor.NewText(), tag), "");
}

TEST(TraceRecordMessage, AFormattedMessageOfMaximumLengthIsWrittenWhole)
{
    const std::string tag = NewTag();
    const std::string longest = FormatTrace("%s%s", tag.c_str(), std::string(600, 'x').c_str());
    ASSERT_EQ(longest.size(), 511u);
    const velmo_test::LogCursor cursor;
    CVelmoLog::Trace(longest.c_str(), "..\\x\\m.cpp", 9);
    const std::string text = LinesWith(cursor.NewText(), tag);
    EXPECT_EQ(text, ExpectedRecord(StampOf(text), longest, "9", "m.cpp"));
}

TEST(TraceMacro, RecordsTheCallersOwnFileAndLine)
{
    const std::string message = "macro check " + NewTag();
    const velmo_test::LogCursor cursor;
    const int line = __LINE__ + 1;
    VELMO_TRACE(message.c_str());
    const std::string text = LinesWith(cursor.NewText(), message);
    EXPECT_EQ(text, ExpectedRecord(StampOf(text), message, std::to_string(line),
                                   "logRecordTests.cpp"));
}

TEST(TraceRecord, RecordsFromSeveralThreadsStayWhole)
{
    constexpr int kThreads = 4;
    constexpr int kRecordsEach = 100;
    const std::string tag = NewTag();
    const velmo_test::LogCursor cursor;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &tag] {
            for (int r = 0; r < kRecordsEach; ++r) {
                const std::string message = tag + " thread " + std::to_string(t) + " record " +
                                            std::to_string(r);
                CVelmoLog::Trace(message.c_str(), "..\\x\\threads.cpp", r);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    const std::string text = LinesWith(cursor.NewText(), tag);
    const std::regex whole(R"(^\[ .{24} \]\tENTRY: \S+ thread (\d) record (\d+)\tLINE: \2\tFILE: threads\.cpp\r$)");
    std::set<std::string> seen;
    std::string::size_type begin = 0;
    for (std::string::size_type end; (end = text.find('\n', begin)) != std::string::npos;
         begin = end + 1) {
        const std::string line = text.substr(begin, end - begin);
        EXPECT_TRUE(std::regex_match(line, whole)) << line;
        seen.insert(EntryOf(line));
    }
    EXPECT_EQ(begin, text.size()) << "an unfinished last line";
    EXPECT_EQ(seen.size(), std::size_t{kThreads * kRecordsEach});
}

} // namespace
} // namespace log_test
