#include "status/guardedCopy.h"

#include <windows.h>

// MinGW GCC has no __try/__except, so the copy is guarded by hand:
//
// CopyUnderGuard records a resume point with __builtin_setjmp in a guard on
// its own stack, publishes the guard in a TLS slot and marks it active while
// the bytes are copied. A vectored exception handler sees every exception
// first; when the faulting thread's guard is active it disarms it and points
// the thread's context at RecoverFromFault, on the same stack well below the
// faulting frame, and continues execution there. RecoverFromFault then
// __builtin_longjmps to the resume point, and the copy reports failure.
//
// The guard is found through a Win32 TLS slot rather than thread_local:
// MinGW implements thread_local with emutls, which allocates on a thread's
// first access, and the handler runs for every exception of every thread.

namespace {

struct Guard
{
    volatile bool active;
    void* jumpBuffer[5];
};

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception);

struct FaultTrap
{
    DWORD slot;
    bool ready;
};

// One slot and one handler for the process, set up by the first copy.
const FaultTrap& Trap()
{
    static const FaultTrap trap = [] {
        const DWORD slot = TlsAlloc();
        const bool ready = slot != TLS_OUT_OF_INDEXES &&
                           AddVectoredExceptionHandler(1, &OnException) != nullptr;
        return FaultTrap{slot, ready};
    }();
    return trap;
}

Guard* CurrentGuard()
{
    // TlsGetValue clears the last error, which belongs to the interrupted code.
    const DWORD lastError = GetLastError();
    Guard* guard = static_cast<Guard*>(TlsGetValue(Trap().slot));
    SetLastError(lastError);
    return guard;
}

[[noreturn]] void RecoverFromFault()
{
    __builtin_longjmp(CurrentGuard()->jumpBuffer, 1);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception)
{
    Guard* guard = CurrentGuard();
    if (!guard || !guard->active)
        return EXCEPTION_CONTINUE_SEARCH;
    guard->active = false;

    // A fresh, call-aligned spot of the same stack, clear of the faulting frame.
    CONTEXT& context = *exception->ContextRecord;
#if defined(__x86_64__)
    context.Rsp = ((context.Rsp - 512) & ~DWORD64(15)) - 8;
    context.Rip = reinterpret_cast<DWORD64>(&RecoverFromFault);
#elif defined(__i386__)
    context.Esp = ((context.Esp - 512) & ~DWORD(15)) - 4;
    context.Eip = reinterpret_cast<DWORD>(&RecoverFromFault);
#else
#error "GuardedCopy knows the contexts of x86 and x86-64 only"
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Opaque to the optimizer: only a call it cannot see into may reach the resume
// point below, so a loop inlined there would get its recovery path deleted.
[[gnu::noipa]] void CopyBytes(volatile unsigned char* destination,
                              const volatile unsigned char* source, std::size_t length)
{
    // Volatile accesses are neither merged into a memcpy nor moved out of the copy.
    for (std::size_t i = 0; i < length; ++i)
        destination[i] = source[i];
}

// Not inlined: the resume point must belong to a frame of its own, which is
// what __builtin_longjmp restores.
[[gnu::noinline]] bool CopyUnderGuard(Guard& guard, void* destination, const void* source,
                                      std::size_t length)
{
    if (__builtin_setjmp(guard.jumpBuffer) != 0)
        return false;
    guard.active = true;
    CopyBytes(static_cast<volatile unsigned char*>(destination),
              static_cast<const volatile unsigned char*>(source), length);
    guard.active = false;
    return true;
}

} // namespace

bool GuardedCopy(void* destination, const void* source, std::size_t length)
{
    const FaultTrap& trap = Trap();
    if (!trap.ready)
        return false;
    Guard guard{};
    TlsSetValue(trap.slot, &guard);
    const bool copied = CopyUnderGuard(guard, destination, source, length);
    TlsSetValue(trap.slot, nullptr);
    return copied;
}
