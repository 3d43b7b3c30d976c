#include "environmentFaults.h"

#include "common/regKey.h"
#include "support/testSupport.h"

#include <sddl.h>

#include <cstring>
#include <utility>

namespace velmo_fault_test {

namespace {

std::wstring WindowsDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetWindowsDirectoryW(path, MAX_PATH);
    return path;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

UniqueRegKey OpenUserKey(REGSAM access)
{
    UniqueRegKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, velmo_test::kVelmoKeyPath, 0, access, key.Put());
    return key;
}

// The name as the file system spells it ("temp" in a Wine prefix), so that
// the directory comes back exactly as it was.
std::wstring TempDirectory()
{
    const std::wstring temp = WindowsDirectory() + L"\\Temp";
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(temp.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return temp;
    FindClose(search);
    return WindowsDirectory() + L"\\" + found.cFileName;
}

} // namespace

LogPathIsDirectory::LogPathIsDirectory()
{
    m_made = m_aside.Usable() && CreateDirectoryW(velmo_test::LogPath().c_str(), nullptr);
}

LogPathIsDirectory::~LogPathIsDirectory()
{
    // Before the aside log comes back to this path.
    if (m_made && !RemoveDirectoryW(velmo_test::LogPath().c_str()))
        ADD_FAILURE() << "could not remove the directory at the log path, error "
                      << GetLastError();
}

TempDirectoryAway::TempDirectoryAway()
    : m_temp(TempDirectory()), m_aside(WindowsDirectory() + L"\\Temp.faults-aside")
{
    if (Exists(m_aside)) {
        ADD_FAILURE() << "an earlier run left " << ::testing::PrintToString(m_aside)
                      << " behind: move it back to Temp by hand";
        return;
    }
    m_made = MoveFileExW(m_temp.c_str(), m_aside.c_str(), 0) != FALSE;
}

TempDirectoryAway::~TempDirectoryAway()
{
    if (!m_made)
        return;
    // Whatever made a new Temp meanwhile made it empty, or the move back
    // fails and says so.
    if (Exists(m_temp))
        RemoveDirectoryW(m_temp.c_str());
    if (!MoveFileExW(m_aside.c_str(), m_temp.c_str(), 0))
        ADD_FAILURE() << "could not move " << ::testing::PrintToString(m_aside)
                      << " back to Temp, error " << GetLastError() << ": do it by hand";
}

LockedFile::LockedFile(std::wstring path, const std::vector<BYTE>& bytes) : m_path(std::move(path))
{
    m_file.Reset(FileHandle(CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
    DWORD written = 0;
    if (m_file && (!WriteFile(m_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                              &written, nullptr) ||
                   written != bytes.size())) {
        m_file.Reset();
        DeleteFileW(m_path.c_str());
    }
}

LockedFile::~LockedFile()
{
    if (!m_file)
        return;
    m_file.Reset();
    DeleteFileW(m_path.c_str());
}

UserKeyWritesDenied::UserKeyWritesDenied()
{
    const UniqueRegKey key = OpenUserKey(READ_CONTROL | WRITE_DAC);
    if (!key)
        return;
    DWORD size = 0;
    RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    m_original.resize(size);
    if (size == 0 || RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, m_original.data(),
                                       &size) != ERROR_SUCCESS)
        return;

    // Everyone may do all but store values and create subkeys (0x6).
    PSECURITY_DESCRIPTOR denying = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x6;;;WD)(A;;KA;;;WD)",
                                                              SDDL_REVISION_1, &denying, nullptr))
        return;
    m_made = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, denying) == ERROR_SUCCESS;
    LocalFree(denying);
}

UserKeyWritesDenied::~UserKeyWritesDenied()
{
    if (!m_made)
        return;
    const UniqueRegKey key = OpenUserKey(WRITE_DAC);
    if (!key || RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, m_original.data()) !=
                    ERROR_SUCCESS)
        ADD_FAILURE() << "could not give the per-user key its access list back";
}

std::vector<BYTE> BitmapFile(int width, int height)
{
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD pixelBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;

    std::vector<BYTE> bytes(file.bfSize, 0x80);
    std::memcpy(bytes.data(), &file, sizeof file);
    std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
    return bytes;
}

} // namespace velmo_fault_test
