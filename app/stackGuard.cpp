// The stack canaries' guard value and their failure path, in place of
// libssp's: libssp seeds the guard through CryptAcquireContextA and
// CryptGenRandom, which load the crypto providers at every start. RtlGenRandom
// comes with advapi32, which the applet loads anyway for the registry.
#include <windows.h>
#include <ntsecapi.h>

extern "C" {

// The terminator canary, as libssp has it, should the seeding fail: a string
// copy cannot write past it unnoticed.
void* __stack_chk_guard = reinterpret_cast<void*>(static_cast<UINT_PTR>(0xFF0A0000));

// A smashed stack is no state to report from: the process ends at once, as a
// Visual C++ program's does, with the same code.
[[noreturn]] void __stack_chk_fail()
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_unreachable();
}

} // extern "C"

namespace {

// Runs first among the constructors, before any code that carries a canary:
// only the C runtime's start-up, built without them, is on the stack.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard()
{
    RtlGenRandom(&__stack_chk_guard, sizeof __stack_chk_guard);
}

} // namespace
