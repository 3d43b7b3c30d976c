// Drives a running velmo.exe through every kind of reading, round after
// round, as the service and a user would: korvapub changes the record or
// takes the section away, the window is shown from the tray and hidden
// again, and the unknown-status message box is answered.
#pragma once

#include "support/publisher.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmo_soak {

class SoakDriver
{
public:
    // `window` is velmo.exe's main window; each step is held `holdMs` so that
    // the applet polls it several times.
    SoakDriver(HWND window, DWORD processId, DWORD holdMs);
    SoakDriver(const SoakDriver&) = delete;
    SoakDriver& operator=(const SoakDriver&) = delete;

    // One round of every step; it ends with "enabled" published, the window
    // hidden and no box open. False, with Failures() saying why, when a step
    // could not be made.
    bool RunRound();

    std::size_t StepsPerRound() { return Steps().size(); }
    int BoxesAnswered() const { return m_boxesAnswered; }
    const std::vector<std::string>& Failures() const { return m_failures; }

private:
    struct Step
    {
        const char* name;
        std::function<bool()> action;
    };

    std::vector<Step> Steps();
    bool Serve(const wchar_t* arguments);
    void Withdraw();
    bool Send(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Waits `holdMs`, answering every box the applet shows meanwhile.
    void Hold();
    void AnswerBoxes();

    HWND m_window;
    DWORD m_processId;
    DWORD m_holdMs;
    std::wstring m_boxCaption;
    std::optional<velmo_test::Publisher> m_publisher;
    int m_boxesAnswered = 0;
    std::vector<std::string> m_failures;
};

} // namespace velmo_soak
