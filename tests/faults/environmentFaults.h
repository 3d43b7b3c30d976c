// Faults made in the applet's surroundings for the object's life, each undone
// on every path: the trace log path taken by a directory, the Temp directory
// gone, a file held open without sharing, the per-user key made unwritable.
#pragma once

#include "app/appFixture.h"
#include "common/kernelHandle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace velmo_fault_test {

class EnvironmentFault
{
public:
    virtual ~EnvironmentFault() = default;
    // Whether the fault is in place; a test must not go on without it.
    virtual bool Made() const = 0;
};

// %WINDIR%\Temp\velmo.log is a directory; the real log is set aside meanwhile.
class LogPathIsDirectory : public EnvironmentFault
{
public:
    LogPathIsDirectory();
    ~LogPathIsDirectory() override;
    bool Made() const override { return m_made; }

private:
    velmo_test::LogSetAside m_aside;
    bool m_made = false;
};

// %WINDIR%\Temp renamed away, and back afterwards. Refuses when an earlier
// run left its renamed copy behind, rather than risk losing either.
class TempDirectoryAway : public EnvironmentFault
{
public:
    TempDirectoryAway();
    ~TempDirectoryAway() override;
    bool Made() const override { return m_made; }

private:
    std::wstring m_temp;
    std::wstring m_aside;
    bool m_made = false;
};

// A file written with `bytes` and held open by this process without sharing;
// deleted afterwards. Refuses to overwrite a file already there.
class LockedFile : public EnvironmentFault
{
public:
    LockedFile(std::wstring path, const std::vector<BYTE>& bytes);
    ~LockedFile() override;
    bool Made() const override { return static_cast<bool>(m_file); }

private:
    std::wstring m_path;
    UniqueKernelHandle m_file;
};

// The applet's key under HKEY_CURRENT_USER (which must exist) refuses to
// store values or create subkeys for everyone; its own access list comes
// back afterwards.
class UserKeyWritesDenied : public EnvironmentFault
{
public:
    UserKeyWritesDenied();
    ~UserKeyWritesDenied() override;
    bool Made() const override { return m_made; }

private:
    std::vector<BYTE> m_original;
    bool m_made = false;
};

// A 24-bit bottom-up bitmap file of the given size, one colour.
std::vector<BYTE> BitmapFile(int width, int height);

} // namespace velmo_fault_test
