#include "support/waiting.h"

#include <cstdlib>

namespace velmo_test {

namespace {

constexpr DWORD kDeadlineBaseMs = 15000;
constexpr DWORD kPollStepMs = 10;

} // namespace

DWORD DeadlineMs()
{
    static const DWORD deadline = [] {
        const char* text = std::getenv("VELMO_DEADLINE_SCALE");
        const unsigned long scale = text ? std::strtoul(text, nullptr, 10) : 1;
        return kDeadlineBaseMs * static_cast<DWORD>(scale > 1 ? scale : 1);
    }();
    return deadline;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollStepMs, QS_ALLINPUT);
    }
}

void Observe(DWORD durationMs, const std::function<void()>& sample)
{
    const ULONGLONG end = GetTickCount64() + durationMs;
    while (GetTickCount64() < end) {
        PumpMessages();
        sample();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollStepMs, QS_ALLINPUT);
    }
}

} // namespace velmo_test
