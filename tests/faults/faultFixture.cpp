#include "faultFixture.h"

namespace velmo_fault_test {

UserValues ReadUserValues()
{
    UserValues values;
    DWORD value = 0;
    if (velmo_test::ReadDword(HKEY_CURRENT_USER, L"PopupForCurrentUser", value))
        values.popup = value;
    if (velmo_test::ReadDword(HKEY_CURRENT_USER, L"KorvaLastEnabled", value))
        values.lastEnabled = value;
    return values;
}

void PrintTo(const UserValues& values, std::ostream* out)
{
    auto print = [out](const std::optional<DWORD>& value) {
        if (value)
            *out << *value;
        else
            *out << "absent";
    };
    *out << "{PopupForCurrentUser ";
    print(values.popup);
    *out << ", KorvaLastEnabled ";
    print(values.lastEnabled);
    *out << "}";
}

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                        velmo_app_test::DeadlineMs(), &result);
    return static_cast<LRESULT>(result);
}

void FaultTest::TearDown()
{
    // The applet before its publisher, both before the keys go.
    m_app.reset();
    m_publisher.reset();
    AppTest::TearDown();
}

void FaultTest::QuietUser()
{
    velmo_test::SetQuietUser();
}

void FaultTest::Publish(Korva status, DWORD sectionSize)
{
    m_publisher.reset();
    m_publisher.emplace(status, sectionSize);
    ASSERT_TRUE(m_publisher->Ready()) << "korvapub serve did not publish";
}

void FaultTest::StartApplet()
{
    m_app.emplace();
    ASSERT_TRUE(m_app->Process().Started());
    ASSERT_NE(m_app->WaitForWindow(), nullptr);
}

::testing::AssertionResult FaultTest::Shows(UINT stringId)
{
    const std::wstring expected = velmo_app_test::VelmoString(stringId);
    if (expected.empty())
        return ::testing::AssertionFailure() << "string " << stringId << " of velmo.exe is empty";
    std::wstring shown;
    if (WaitUntil([&] {
            shown = m_app->ControlText(IDC_STATUS_TEXT);
            return shown == expected;
        }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "control 1004 shows " << ::testing::PrintToString(shown) << ", not string "
           << stringId << " " << ::testing::PrintToString(expected);
}

::testing::AssertionResult FaultTest::StillRunning()
{
    if (!m_app->Process().Running())
        return ::testing::AssertionFailure() << "velmo.exe has ended";
    if (!IsWindow(m_app->Window()))
        return ::testing::AssertionFailure() << "the main window is gone";
    if (!m_app->Answers())
        return ::testing::AssertionFailure() << "the main window does not answer";
    return ::testing::AssertionSuccess();
}

bool FaultTest::WaitForMoreReadings(const std::string& reading, long more)
{
    return WaitForEntry(reading, Count(reading) + more);
}

} // namespace velmo_fault_test
