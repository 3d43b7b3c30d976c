// The optional diagnostic log: one line per record in %WINDIR%\Temp\velmo.log,
// written only when the machine-wide TRACE value is 1.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

class CVelmoLog
{
public:
    virtual ~CVelmoLog();

    // The one log of the process, created on first use; the file is opened
    // by Open only, once, at start-up.
    static CVelmoLog* Instance();
    void Open();

    // The entry point every module uses, through VELMO_TRACE.
    static void Trace(const char* message, const char* sourceFile, int line);

    CVelmoLog(const CVelmoLog&) = delete;
    CVelmoLog& operator=(const CVelmoLog&) = delete;

private:
    CVelmoLog();

    void WriteRecord(const char* message, const char* sourceFile, int line);
    static bool ReadTraceSwitch();

    struct FileCloser { void operator()(std::FILE* file) const { std::fclose(file); } };

    std::unique_ptr<std::FILE, FileCloser> m_stream;
    bool m_streamFailed = false;
    std::wstring m_path;
    CRITICAL_SECTION m_lock;
};

// Deletes the log object; registered to run at process exit.
void DisposeVelmoLog();
