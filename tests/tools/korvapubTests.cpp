#include "status/IPCKorvaStatus.h"
#include "support/childProcess.h"
#include "support/programs.h"
#include "support/publisher.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using velmo_test::ChildProcess;
using velmo_test::ProcessResult;
using velmo_test::SectionExists;

ProcessResult Korvapub(const std::wstring& arguments)
{
    return velmo_test::RunProcess(velmo_test::CommandLine(velmo_test::KorvapubExePath(), arguments));
}

// `korvapub serve` running beside the test, its output read here; its
// input a pipe the test holds, or something with nobody behind it.
ChildProcess Serve(const std::wstring& arguments,
                   ChildProcess::Input input = ChildProcess::Input::Pipe)
{
    const std::wstring program = velmo_test::KorvapubExePath();
    return ChildProcess(velmo_test::CommandLine(program, L"serve " + arguments),
                        {input, ChildProcess::Output::Capture, false, program});
}

// What the applet's own reader makes of the section now.
KorvaStatus ReaderSees()
{
    IPCKorvaStatus reader;
    EXPECT_TRUE(reader.Initialize(FILE_MAP_READ)) << "error " << reader.LastError();
    return reader.ReadStatus();
}

// korvapub writes Windows line ends.
bool IsOneLine(const std::string& text)
{
    return text.ends_with("\r\n") && std::count(text.begin(), text.end(), '\n') == 1;
}

const char* const kNoSection =
    "korvapub: Global\\KorvaStatus does not exist (is `korvapub serve` running?)\r\n";

TEST(KorvapubArguments, HelpPrintsUsageAndSucceeds)
{
    for (const wchar_t* arguments : {L"--help", L"-h", L"set --help", L"serve --size 1 -h"}) {
        SCOPED_TRACE(testing::Message() << "korvapub " << testing::PrintToString(arguments));
        const ProcessResult result = Korvapub(arguments);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output.rfind("usage: korvapub COMMAND [OPTIONS]\r\n", 0), 0u)
            << result.output;
    }
}

// Checked before any section is looked for: none exists here, yet the exit code is 2.
TEST(KorvapubArguments, MistakesExitTwoWithOneLine)
{
    ASSERT_FALSE(SectionExists());
    const wchar_t* const mistakes[] = {
        L"",
        L"frobnicate",
        L"set",
        L"set sideways",
        L"set 1 2",
        L"set -1",
        L"set 4294967296",
        L"set 0x",
        L"set 12ab",
        L"set 1 --header",
        L"set 1 --header x",
        L"set 1 --size 600",
        L"serve --size 11",
        L"serve --size 0x1g",
        L"serve --status maybe",
        L"serve --header 1",
        L"serve extra",
        L"get now",
        L"stop --length 4",
    };
    for (const wchar_t* arguments : mistakes) {
        SCOPED_TRACE(testing::Message() << "korvapub " << testing::PrintToString(arguments));
        const ProcessResult result = Korvapub(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(IsOneLine(result.output)) << result.output;
        EXPECT_EQ(result.output.rfind("korvapub: ", 0), 0u) << result.output;
    }
}

TEST(KorvapubWithoutServer, ClientsFailWithOneLine)
{
    ASSERT_FALSE(SectionExists());
    const ProcessResult get = Korvapub(L"get");
    EXPECT_EQ(get.exitCode, 1);
    EXPECT_EQ(get.output, kNoSection);

    const ProcessResult set = Korvapub(L"set enabled");
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_EQ(set.output, kNoSection);

    const ProcessResult stop = Korvapub(L"stop");
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_EQ(stop.output,
              "korvapub: no server is running (Global\\KorvaPubStop does not exist)\r\n");
    EXPECT_FALSE(SectionExists());
}

TEST(KorvapubServe, PublishesWhatSetWrites)
{
    ChildProcess server = Serve(L"");
    ASSERT_EQ(server.FirstLine(),
              "korvapub: serving Global\\KorvaStatus (512 bytes), status 2 (unknown)\r\n");
    EXPECT_EQ(ReaderSees(), kKorvaUnknown);
    EXPECT_EQ(Korvapub(L"get").output, "header=0 length=4 status=2 (unknown)\r\n");

    struct Case
    {
        const wchar_t* arguments;
        const char* record;
        KorvaStatus reading;
    };
    const Case cases[] = {
        {L"enabled", "header=0 length=4 status=1 (enabled)\r\n", kKorvaEnabled},
        {L"disabled", "header=0 length=4 status=0 (disabled)\r\n", kKorvaDisabled},
        {L"unknown", "header=0 length=4 status=2 (unknown)\r\n", kKorvaUnknown},
        {L"7", "header=0 length=4 status=7 (invalid)\r\n", 7},
        {L"0x10", "header=0 length=4 status=16 (invalid)\r\n", 16},
        {L"0xFFFFFFFF", "header=0 length=4 status=4294967295 (invalid)\r\n", -1},
        {L"enabled --header 1", "header=1 length=4 status=1 (enabled)\r\n", kKorvaUnknown},
        {L"--length 505 enabled", "header=0 length=505 status=1 (enabled)\r\n", kKorvaUnknown},
        {L"disabled --length 2 --header 0", "header=0 length=2 status=0 (disabled)\r\n",
         kKorvaUnknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "korvapub set " << testing::PrintToString(c.arguments));
        const ProcessResult set = Korvapub(std::wstring(L"set ") + c.arguments);
        EXPECT_EQ(set.exitCode, 0) << set.output;
        EXPECT_EQ(set.output, "");
        const ProcessResult get = Korvapub(L"get");
        EXPECT_EQ(get.exitCode, 0);
        EXPECT_EQ(get.output, c.record);
        EXPECT_EQ(ReaderSees(), c.reading);
    }
}

TEST(KorvapubServe, StartsWithTheGivenStatus)
{
    ChildProcess server = Serve(L"--status enabled");
    ASSERT_EQ(server.FirstLine(),
              "korvapub: serving Global\\KorvaStatus (512 bytes), status 1 (enabled)\r\n");
    EXPECT_EQ(ReaderSees(), kKorvaEnabled);
}

TEST(KorvapubServe, SizesTheSectionAsAsked)
{
    ChildProcess server = Serve(L"--size 8192 --status disabled");
    ASSERT_EQ(server.FirstLine(),
              "korvapub: serving Global\\KorvaStatus (8192 bytes), status 0 (disabled)\r\n");
    // A view of the whole section spans all that was asked for.
    const UniqueKernelHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, L"Global\\KorvaStatus"));
    ASSERT_TRUE(mapping);
    const UniqueMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    ASSERT_TRUE(view);
    MEMORY_BASIC_INFORMATION region{};
    EXPECT_NE(VirtualQuery(view.Get(), &region, sizeof region), 0u);
    EXPECT_GE(region.RegionSize, 8192u);
    EXPECT_EQ(ReaderSees(), kKorvaDisabled);
}

TEST(KorvapubServe, SecondServerFailsAndTheFirstGoesOn)
{
    ChildProcess first = Serve(L"--status enabled");
    ASSERT_NE(first.FirstLine(), "");

    const ProcessResult second = Korvapub(L"serve --status disabled");
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.output, "korvapub: Global\\KorvaStatus already exists (is another "
                             "`korvapub serve` running?)\r\n");
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(ReaderSees(), kKorvaEnabled);
    EXPECT_EQ(Korvapub(L"stop").exitCode, 0);
    EXPECT_EQ(first.WaitForExit(), 0u);
}

TEST(KorvapubServe, StopEndsTheServerAndTheSection)
{
    ChildProcess server = Serve(L"");
    ASSERT_NE(server.FirstLine(), "");
    ASSERT_TRUE(SectionExists());

    const ProcessResult stop = Korvapub(L"stop");
    EXPECT_EQ(stop.exitCode, 0);
    EXPECT_EQ(stop.output, "");
    EXPECT_EQ(server.WaitForExit(), 0u);
    EXPECT_FALSE(SectionExists());
    EXPECT_EQ(Korvapub(L"stop").exitCode, 1);
    EXPECT_EQ(Korvapub(L"get").output, kNoSection);
}

TEST(KorvapubServe, EndsWhenItsInputPipeCloses)
{
    ChildProcess server = Serve(L"");
    ASSERT_NE(server.FirstLine(), "");
    ASSERT_TRUE(SectionExists());

    server.CloseInput();
    EXPECT_EQ(server.WaitForExit(), 0u);
    EXPECT_FALSE(SectionExists());
}

// As when started with `korvapub serve </dev/null &`: an input that reads as
// closed at once is not taken for a request to stop.
TEST(KorvapubServe, KeepsServingWhenInputIsNotAPipe)
{
    const struct
    {
        ChildProcess::Input input;
        const char* name;
    } inputs[] = {
        {ChildProcess::Input::Nul, "NUL"},
        {ChildProcess::Input::File, "a file"},
        {ChildProcess::Input::None, "no handle"},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        ChildProcess server = Serve(L"--status disabled", input.input);
        ASSERT_EQ(server.FirstLine(),
                  "korvapub: serving Global\\KorvaStatus (512 bytes), status 0 (disabled)\r\n");
        // A client's round trip gives a server that wrongly took EOF as a stop time to go.
        EXPECT_EQ(Korvapub(L"get").output, "header=0 length=4 status=0 (disabled)\r\n");
        EXPECT_TRUE(server.Running());
        EXPECT_EQ(Korvapub(L"stop").exitCode, 0);
        EXPECT_EQ(server.WaitForExit(), 0u);
    }
}

} // namespace
