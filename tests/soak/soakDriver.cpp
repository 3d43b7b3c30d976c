#include "soakDriver.h"

#include "app/appDriver.h"
#include "res/resource.h"

namespace velmo_soak {

namespace {

constexpr UINT kTrayCallbackMessage = WM_USER + 1;
constexpr UINT kTrayIconId = 1;
constexpr DWORD kSendTimeoutMs = 5000;
constexpr DWORD kAnswerEveryMs = 100;

} // namespace

SoakDriver::SoakDriver(HWND window, DWORD processId, DWORD holdMs)
    : m_window(window),
      m_processId(processId),
      m_holdMs(holdMs),
      m_boxCaption(velmo_test::VelmoString(IDS_UNKNOWN_CAPTION))
{
    Serve(L"--status enabled");
}

std::vector<SoakDriver::Step> SoakDriver::Steps()
{
    using velmo_test::Publisher;
    auto set = [](const wchar_t* arguments) {
        return [arguments] { return Publisher::Set(arguments); };
    };
    auto hide = [this] {
        return Send(WM_COMMAND, MAKEWPARAM(IDC_HIDE_BUTTON, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(m_window, IDC_HIDE_BUTTON)));
    };
    return {
        {"enabled", set(L"enabled")},
        {"tray click", [this] { return Send(kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN); }},
        {"disabled", set(L"disabled")},
        {"hide button", hide},
        // Long enough for the box, which the hold answers.
        {"unknown", set(L"unknown")},
        // Enabled after disabled: the window pops up by itself.
        {"enabled again", set(L"enabled")},
        {"bad value 7", set(L"7")},
        {"header 1", set(L"enabled --header 1")},
        {"length 505", set(L"enabled --length 505")},
        {"section gone", [this] { Withdraw(); return true; }},
        {"section of 256 bytes", [this] { return Serve(L"--size 256 --status enabled"); }},
        {"section back", [this] { return Serve(L"--status enabled"); }},
        {"hide button again", hide},
    };
}

bool SoakDriver::RunRound()
{
    for (const Step& step : Steps()) {
        if (!step.action()) {
            m_failures.push_back(std::string("step failed: ") + step.name);
            return false;
        }
        Hold();
    }
    return true;
}

bool SoakDriver::Serve(const wchar_t* arguments)
{
    Withdraw();
    m_publisher.emplace(arguments);
    return m_publisher->Ready();
}

void SoakDriver::Withdraw()
{
    m_publisher.reset();
}

bool SoakDriver::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(m_window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &result) != 0;
}

void SoakDriver::Hold()
{
    const ULONGLONG end = GetTickCount64() + m_holdMs;
    while (GetTickCount64() < end) {
        AnswerBoxes();
        Sleep(kAnswerEveryMs);
    }
    AnswerBoxes();
}

void SoakDriver::AnswerBoxes()
{
    if (m_boxCaption.empty())
        return;
    // A box with only an OK button takes WM_CLOSE as OK.
    for (HWND box : velmo_test::TopLevelWindows(m_processId, L"#32770", m_boxCaption)) {
        if (PostMessageW(box, WM_CLOSE, 0, 0) &&
            velmo_test::WaitUntil([box] { return !IsWindow(box); }, kSendTimeoutMs))
            ++m_boxesAnswered;
    }
}

} // namespace velmo_soak
