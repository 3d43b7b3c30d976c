// The child-process side of the trace-switch cases: the switch is decided
// once per process, so each case needs a process of its own.
#include "log/logTestSupport.h"

#include "common/kernelHandle.h"
#include "common/trace.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace log_test {

namespace {

using velmo_test::DeleteVelmoKey;
using velmo_test::SetDword;
using velmo_test::SetString;
using velmo_test::SetValue;

void Trace(const std::string& message)
{
    VELMO_TRACE(message.c_str());
}

// Empty messages first and in between: they must do nothing at all, not
// even decide the switch.
void TraceStandardSequence(const std::string& tag)
{
    Trace("");
    Trace(tag + " first");
    Trace("");
    Trace(tag + " second");
    Trace(tag + " third");
}

void TurnOffWhileRunning(const std::string& tag)
{
    Trace(tag + " first");
    SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 0);
    Trace(tag + " second");
    DeleteVelmoKey(HKEY_LOCAL_MACHINE);
    Trace(tag + " third");
}

void TurnOnWhileRunning(const std::string& tag)
{
    Trace(tag + " first");
    SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1);
    Trace(tag + " second");
    Trace(tag + " third");
}

// Holds the log open until the parent has looked at the file, then writes.
void TraceAfterParentLooked(const std::string& tag)
{
    const UniqueKernelHandle held(OpenEventW(EVENT_MODIFY_STATE, FALSE, HeldEventName(tag).c_str()));
    const UniqueKernelHandle release(OpenEventW(SYNCHRONIZE, FALSE, ReleaseEventName(tag).c_str()));
    EXPECT_TRUE(held && release) << "the parent's events, error " << GetLastError();
    if (held && release) {
        SetEvent(held.Get());
        EXPECT_EQ(WaitForSingleObject(release.Get(), 20000), WAIT_OBJECT_0);
    }
    Trace(tag + " first");
}

struct ChildCase
{
    const char* name;
    void (*arrange)();
    void (*run)(const std::string& tag);
};

const ChildCase kCases[] = {
    {"dword1", [] { SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1); }, TraceStandardSequence},
    {"dword0", [] { SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 0); }, TraceStandardSequence},
    {"dword2", [] { SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 2); }, TraceStandardSequence},
    {"sz1", [] { SetString(HKEY_LOCAL_MACHINE, L"TRACE", L"1"); }, TraceStandardSequence},
    {"qword1",
     [] {
         const std::uint64_t one = 1;
         SetValue(HKEY_LOCAL_MACHINE, L"TRACE", REG_QWORD, &one, sizeof one);
     },
     TraceStandardSequence},
    // The key exists, with another value only.
    {"novalue", [] { SetDword(HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout", 1); },
     TraceStandardSequence},
    {"nokey", [] {}, TraceStandardSequence},
    {"turnoff", [] { SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1); }, TurnOffWhileRunning},
    {"turnon", [] { SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 0); }, TurnOnWhileRunning},
    {"shared", [] { SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1); }, TraceAfterParentLooked},
};

} // namespace

int RunChildCase(const std::string& caseName, const std::string& tag)
{
    for (const ChildCase& child : kCases) {
        if (caseName != child.name)
            continue;
        {
            velmo_test::ScratchRegistry registry;
            child.arrange();
            CVelmoLog::Instance()->Open();
            child.run(tag);
            DisposeVelmoLog();
        }
        // A failed set-up has printed itself; the exit code says so too.
        return ::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed() ? 3 : 0;
    }
    return 2;
}

} // namespace log_test
