#include "common/velmoLog.h"

#include "common/regKey.h"
#include "common/wow64.h"

#include <share.h>

#include <cstring>
#include <ctime>

namespace {

enum TraceState : LONG { kUndecided = 0, kEnabled = 1, kDisabled = 2 };

CVelmoLog* g_instance = nullptr;
LONG g_traceState = kUndecided;

// Problems of the log itself go to standard output, never into the file.
// Without a buffer of its own (standard output on a device or a console has
// none) the stream writes a character at a time: with one, a line goes out
// in one write at the flush.
void SayOnStdout(const char* text)
{
    static const bool buffered = std::setvbuf(stdout, nullptr, _IOFBF, 512) == 0;
    (void)buffered;
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The C library's asctime layout with a two-digit day, in English whatever
// the locale: "Tue Mar 04 09:15:02 2008".
void FormatTime(const std::tm& time, char (&text)[260])
{
    static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // The system library's formatters, as for FormatTrace.
    _snprintf(text, sizeof text - 1, "%s %s %02d %02d:%02d:%02d %d",
                  kDays[(time.tm_wday % 7 + 7) % 7], kMonths[(time.tm_mon % 12 + 12) % 12],
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec, time.tm_year + 1900);
}

} // namespace

CVelmoLog::CVelmoLog()
{
    InitializeCriticalSection(&m_lock);
}

CVelmoLog::~CVelmoLog()
{
    m_stream.reset();
    DeleteCriticalSection(&m_lock);
}

CVelmoLog* CVelmoLog::Instance()
{
    if (!g_instance)
        g_instance = new (std::nothrow) CVelmoLog;
    return g_instance;
}

void DisposeVelmoLog()
{
    delete g_instance;
    g_instance = nullptr;
}

void CVelmoLog::Open()
{
    wchar_t windows[256] = {};
    const UINT length = GetWindowsDirectoryW(windows, 256);
    if (length == 0 || length >= 256) {
        SayOnStdout("velmolog: failed to get OS system directory");
        m_streamFailed = true;
        return;
    }
    m_path = std::wstring(windows) + L"\\Temp\\" + L"velmo.log";
    // Append, text mode (CR LF), and shared so that a second instance or a
    // reader can have the file open at the same time.
    m_stream.reset(_wfsopen(m_path.c_str(), L"at", _SH_DENYNO));
    if (!m_stream) {
        m_streamFailed = true;
        SayOnStdout("velmolog: couldn't open velmo log file");
    }
}

bool CVelmoLog::ReadTraceSwitch()
{
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Brenlow\\Network_Services\\velmo", 0,
                      NativeViewAccess(KEY_READ), key.Put()) != ERROR_SUCCESS) {
        SayOnStdout("velmolog: error encountered while attempting open Brenlow registry key");
        return false;
    }
    BYTE data[260] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key.Get(), L"TRACE", nullptr, &type, data, &size) != ERROR_SUCCESS) {
        SayOnStdout("velmolog: error encountered while attempting to read logging enabled flag "
                    "from registry");
        return false;
    }
    DWORD value = 0;
    std::memcpy(&value, data, sizeof value);
    return type == REG_DWORD && value == 1;
}

void CVelmoLog::Trace(const char* message, const char* sourceFile, int line)
{
    if (!message || message[0] == '\0')
        return;
    switch (g_traceState) {
    case kUndecided:
        if (!ReadTraceSwitch()) {
            g_traceState = kDisabled;
            return;
        }
        g_traceState = kEnabled;
        [[fallthrough]];
    case kEnabled:
        if (CVelmoLog* log = Instance())
            log->WriteRecord(message, sourceFile, line);
        return;
    default:
        SayOnStdout("velmolog: logging not enabled in the registry");
        return;
    }
}

void CVelmoLog::WriteRecord(const char* message, const char* sourceFile, int line)
{
    if (m_streamFailed || !m_stream || std::ferror(m_stream.get()))
        return;

    EnterCriticalSection(&m_lock);
    const __time64_t now = _time64(nullptr);
    std::tm local{};
    char time[260] = "";
    if (_localtime64_s(&local, &now) == 0)
        FormatTime(local, time);

    const char* fileName = "NONE";
    if (sourceFile) {
        if (const char* slash = std::strrchr(sourceFile, '\\'))
            fileName = slash + 1;
    }

    std::FILE* file = m_stream.get();
    __ms_fprintf(file, "[ %s ]\tENTRY: %s\tLINE: %d\tFILE: %s\n", time, message, line, fileName);
    std::fflush(file);
    LeaveCriticalSection(&m_lock);
}
