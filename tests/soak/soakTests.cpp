// velmo.exe run as a process while the status flips through every kind of
// reading, the section goes and comes back, the window is shown and hidden
// and the unknown-status box is answered: what it holds at the end must be
// what it held after warming up. VELMO_SOAK_SECONDS sets the length (25 s
// after the warm-up by default); VELMO_SOAK_FIGURES names a file (a Unix
// path) for the figures, which the bench writes up.
#include "app/appDriver.h"
#include "support/prefixSettings.h"
#include "support/processProbe.h"
#include "soakDriver.h"
#include "soakReadings.h"
#include "support/soakFigures.h"
#include "support/testSupport.h"
#include "support/traceTexts.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

namespace traced = velmo_test::traced;

using velmo_test::ProcessProbe;
using velmo_test::Snapshot;
using velmo_soak::Settled;

constexpr DWORD kPollPeriodMs = 20;
constexpr DWORD kHoldMs = 250;
constexpr int kMinWarmUpRounds = 2;
constexpr int kMaxWarmUpRounds = 6;
constexpr long kHandleTolerance = 5;
constexpr SIZE_T kPrivateBytesTolerance = 1024 * 1024;
constexpr long kGdiTolerance = 5;

DWORD SoakSeconds()
{
    const char* text = std::getenv("VELMO_SOAK_SECONDS");
    const long seconds = text ? std::strtol(text, nullptr, 10) : 0;
    return seconds > 0 ? static_cast<DWORD>(seconds) : 25;
}

long Count(const std::vector<std::string>& entries, const std::string& prefix)
{
    return static_cast<long>(std::count_if(entries.begin(), entries.end(),
                                           [&](const std::string& entry) {
                                               return entry.rfind(prefix, 0) == 0;
                                           }));
}

TEST(Soak, VelmoHoldsNoMoreAfterFlippingThroughEveryStatus)
{
    const std::wstring caption = velmo_test::VelmoString(IDS_WINDOW_CAPTION);
    ASSERT_FALSE(caption.empty()) << "the window caption of velmo.exe";
    ASSERT_TRUE(velmo_test::TopLevelWindows(0, nullptr, caption).empty())
        << "a velmo.exe from elsewhere is running in this prefix";
    ASSERT_FALSE(velmo_test::SectionExists())
        << "a Global\\KorvaStatus from elsewhere is alive";
    const bool gdiCounted = velmo_test::GdiCountWorks();

    velmo_test::PrefixSettings settings;
    // Tracing on, to count the polls and see every kind of reading.
    settings.SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1);
    settings.SetDword(HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout", kPollPeriodMs);
    // The box comes at the third poll of a run of unknown readings.
    settings.SetDword(HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries", 3);
    for (const wchar_t* name : {L"NumPollsForDisabled", L"MinimizePrivacyIconAtStart", L"OemUrl"})
        settings.Remove(HKEY_LOCAL_MACHINE, name);
    for (const wchar_t* name : {L"PopupForCurrentUser", L"KorvaLastEnabled"})
        settings.Remove(HKEY_CURRENT_USER, name);
    const velmo_test::LogSetAside logAside;
    ASSERT_TRUE(logAside.Usable()) << "the trace log could not be set aside";

    velmo_app_test::VelmoApp app;
    const HWND window = app.WaitForWindow();
    ASSERT_NE(window, nullptr) << "velmo.exe showed no window";
    const ProcessProbe probe(app.Id());
    ASSERT_TRUE(probe.Valid());
    velmo_soak::SoakDriver driver(window, app.Id(), kHoldMs);

    // Until what velmo.exe holds stands still for a round: Wine's cache of
    // window DCs grows in the first rounds, a DC, a region and a bitmap at a
    // time, up to a ceiling. A leak would not stand still and is caught below.
    Snapshot start = Settled(probe);
    int warmUpRounds = 0;
    for (bool steady = false; !steady && warmUpRounds < kMaxWarmUpRounds; ++warmUpRounds) {
        ASSERT_TRUE(driver.RunRound()) << driver.Failures().back();
        const Snapshot next = Settled(probe);
        steady = warmUpRounds + 1 >= kMinWarmUpRounds && next.handles == start.handles &&
                 next.gdiObjects == start.gdiObjects && next.windows == start.windows;
        start = next;
    }
    const std::map<int, long> handleTypesBefore = probe.HandlesByType();
    const std::map<int, long> gdiTypesBefore = probe.GdiObjectsByType();
    // From here on: what the measured rounds wrote and answered.
    const velmo_test::LogCursor measuredLog;
    const int boxesBefore = driver.BoxesAnswered();

    const ULONGLONG began = GetTickCount64();
    auto elapsed = [began] { return static_cast<double>(GetTickCount64() - began) / 1000.0; };
    std::vector<velmo_test::SoakSample> samples{{0, start}};
    int rounds = 0;
    while (elapsed() < SoakSeconds()) {
        ASSERT_TRUE(driver.RunRound()) << driver.Failures().back();
        ++rounds;
        samples.push_back({elapsed(), Settled(probe)});
    }
    const double seconds = elapsed();
    const Snapshot end = samples.back().snapshot;
    const std::map<int, long> gdiTypesAfter = probe.GdiObjectsByType();
    const velmo_soak::GdiGrowth gdi = velmo_soak::GdiGrowthOf(gdiTypesBefore, gdiTypesAfter);
    const std::vector<std::string> entries = measuredLog.Entries();
    const long polls = Count(entries, traced::kReading);
    const int boxes = driver.BoxesAnswered() - boxesBefore;

    const char* path = std::getenv("VELMO_SOAK_FIGURES");
    if (path && *path) {
        const velmo_test::SoakFigures figures{
            seconds, warmUpRounds, rounds, static_cast<long>(driver.StepsPerRound()), polls,
            static_cast<long>(kPollPeriodMs), boxes, gdiCounted, gdi.cacheTriplets,
            gdi.others + gdi.unpaired, samples, handleTypesBefore, probe.HandlesByType(),
            gdiTypesBefore, gdiTypesAfter};
        EXPECT_TRUE(velmo_test::WriteSoakFigures(figures, velmo_test::WindowsPath(path)))
            << "the figures could not be written to " << path;
    }

    EXPECT_TRUE(app.Process().Running()) << "velmo.exe ended during the soak";
    EXPECT_LE(end.handles - start.handles, kHandleTolerance);
    EXPECT_LE(end.memory.privateBytes,
              start.memory.privateBytes + kPrivateBytesTolerance);
    if (gdiCounted) {
        EXPECT_LE(gdi.others + gdi.unpaired, kGdiTolerance) << "GDI objects left behind";
        EXPECT_LE(gdi.dcsAtEnd, velmo_soak::kWineDcCacheSize + kGdiTolerance)
            << "more DCs than Wine caches: DCs left behind";
    }
    EXPECT_LE(end.windows, start.windows) << "windows left behind (boxes?)";

    // The soak did what it says, or the figures above mean nothing.
    EXPECT_GE(polls, static_cast<long>(seconds * 1000 / kPollPeriodMs / 8))
        << "velmo.exe polled far less often than every " << kPollPeriodMs << " ms";
    for (const std::string& reading :
         {std::string(traced::kEnabled), std::string(traced::kDisabled),
          std::string(traced::kUnknown), std::string(traced::kBadValue),
          std::string(traced::kNoSection), traced::DisabledHeld(7), traced::UnknownFor(3)}) {
        EXPECT_GE(Count(entries, reading), rounds) << reading;
    }
    EXPECT_GE(boxes, rounds);
}

} // namespace
