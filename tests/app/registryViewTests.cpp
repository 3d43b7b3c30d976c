// Which registry view the real applet reads on 64-bit Windows: the native
// one, also as the shipped 32-bit exe. Decoys of the wrong type wait in the
// other view; were they read, their values' trace records would say so.
#include "appDriver.h"
#include "appFixture.h"
#include "support/trayIcons.h"
#include "support/traceTexts.h"

namespace velmo_app_test {

namespace traced = velmo_test::traced;

namespace {

using velmo_test::kNativeView;

struct MachineValue
{
    const wchar_t* name;
    bool text;              // REG_SZ; the others are REG_DWORD
    DWORD good;             // a number the applet accepts
    const char* unreadable; // traced when the value cannot be read
};

const MachineValue kMachineValues[] = {
    {L"OemUrl", true, 0, traced::kNoOemUrl},
    {L"MinimizePrivacyIconAtStart", false, 0,
     traced::kNoStartupOption},
    {L"KorvaStatusInitMaxRetries", false, 0,
     traced::kNoInitMaxRetries},
    {L"CheckKorvaStatusTimeout", false, kPollPeriodMs,
     traced::kNoTimeout},
    {L"NumPollsForDisabled", false, 3, traced::kNoPollsForDisabled},
};

constexpr REGSAM kThirtyTwoBitView = KEY_WOW64_32KEY;

// Good values in `view`, values of the wrong type in the other one; and
// tracing, which the fixture switches on in the native view, off in the
// 32-bit one.
void SetMachineValues(REGSAM view)
{
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 0, kThirtyTwoBitView);
    const REGSAM decoyView = view == kNativeView ? kThirtyTwoBitView : kNativeView;
    for (const MachineValue& value : kMachineValues) {
        if (value.text) {
            velmo_test::SetString(HKEY_LOCAL_MACHINE, value.name, L"https://oem.example/", REG_SZ,
                                  view);
            velmo_test::SetDword(HKEY_LOCAL_MACHINE, value.name, 1, decoyView);
        } else {
            velmo_test::SetDword(HKEY_LOCAL_MACHINE, value.name, value.good, view);
            velmo_test::SetString(HKEY_LOCAL_MACHINE, value.name, L"1", REG_SZ, decoyView);
        }
    }
}

class RegistryViewTest : public AppTest
{
protected:
    // Only TRACE, in the native view: everything else is the test's.
    void SetUp() override
    {
        AppTest::SetUp();
        velmo_test::DeleteVelmoKey(HKEY_LOCAL_MACHINE);
        velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1);
    }

    // One run of the applet, with its window and tray icon, ended by
    // WM_CLOSE once `entry` was traced.
    void RunUntil(const std::string& entry = {})
    {
        const long icons = velmo_test::TrayIcons();
        VelmoApp app;
        ASSERT_NE(app.WaitForWindow(), nullptr);
        EXPECT_TRUE(WaitUntil([icons] { return velmo_test::TrayIcons() == icons + 1; }));
        if (!entry.empty()) {
            EXPECT_TRUE(WaitForEntry(entry));
        }
        app.Post(WM_CLOSE, 0, 0);
        EXPECT_EQ(app.Process().WaitForExit(), 0u);
    }
};

TEST_F(RegistryViewTest, TraceSwitchInThe32BitViewOnlyWritesNothing)
{
    velmo_test::DeleteValue(HKEY_LOCAL_MACHINE, L"TRACE");
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1, kThirtyTwoBitView);
    RunUntil();
    EXPECT_EQ(Entries(), std::vector<std::string>{});
}

class MachineValueView : public RegistryViewTest, public ::testing::WithParamInterface<REGSAM>
{
};

TEST_P(MachineValueView, MachineValuesComeFromTheNativeViewOnly)
{
    SetMachineValues(GetParam());
    Publisher publisher(Korva::kDisabled);
    ASSERT_TRUE(publisher.Ready());

    RunUntil(traced::kDisabled);

    const bool native = GetParam() == kNativeView;
    for (const MachineValue& value : kMachineValues)
        EXPECT_EQ(Count(value.unreadable), native ? 0 : 1) << value.unreadable;
    // The per-user value went where a 64-bit reader finds it.
    DWORD lastEnabled = 1;
    EXPECT_TRUE(velmo_test::ReadDword(HKEY_CURRENT_USER, L"KorvaLastEnabled", lastEnabled));
    EXPECT_EQ(lastEnabled, 0u);
}

INSTANTIATE_TEST_SUITE_P(Views, MachineValueView,
                         ::testing::Values(kNativeView, kThirtyTwoBitView),
                         [](const auto& info) {
                             return info.param == kNativeView ? "Native" : "ThirtyTwoBit";
                         });

} // namespace
} // namespace velmo_app_test
