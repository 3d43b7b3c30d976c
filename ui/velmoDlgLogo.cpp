// The dialog's logo: the OEM's "oemlogo.bmp" beside the exe when it passes the
// fixed limits, else the built-in one, shown at the window's DPI.
#include "ui/velmoDlg.h"

#include "common/kernelHandle.h"
#include "common/trace.h"
#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/scaledBitmap.h"

bool Ckorva2checkDlg::DoesFileExist(std::wstring path)
{
    if (path.empty()) {
        VELMO_TRACE("string passed to DoesFileExist(...) is empty");
        return false;
    }
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Ckorva2checkDlg::LoadOemLogo()
{
    wchar_t executable[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    wchar_t drive[260] = {};
    wchar_t directory[260] = {};
    _wsplitpath_s(executable, drive, std::size(drive), directory, std::size(directory), nullptr,
                  0, nullptr, 0);
    const std::wstring path = std::wstring(drive) + directory + m_logoFileName;

    if (!DoesFileExist(path)) {
        VELMO_TRACE(NarrowForTrace(L"OEM bitmap not found at " + path).c_str());
        return;
    }

    // Opened without sharing only to learn its size.
    UniqueKernelHandle file(FileHandle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) {
        VELMO_TRACE("Unable to \"CreateFile\" on OEM logo bitmap");
        return;
    }
    const DWORD size = GetFileSize(file.Get(), nullptr);
    if (size != INVALID_FILE_SIZE && (size == 0 || size > 15360)) {
        file.Reset();
        VELMO_TRACE("OEM Logo file doesn't meet acceptible file size");
        return;
    }
    file.Reset();

    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    if (!bitmap)
        return;
    HWND picture = GetDlgItem(m_hWnd, IDC_OEM_LOGO);
    if (!picture)
        return;
    BITMAP description{};
    if (!GetObjectW(bitmap.Get(), sizeof description, &description)) {
        VELMO_TRACE("Problem occurred while trying to retrieve OEM logo dimensions");
        return;
    }
    if (description.bmWidth <= 0 || description.bmWidth > 64) {
        VELMO_TRACE("OEM logo file doesn't meet acceptible image width");
        return;
    }
    if (description.bmHeight <= 0 || description.bmHeight > 42) {
        VELMO_TRACE("OEM logo file doesn't meet acceptible image height");
        return;
    }
    m_oemLogo = std::move(bitmap);
}

void Ckorva2checkDlg::ShowLogo()
{
    // The template's own image is the built-in logo at 96 DPI.
    if (!m_oemLogo && !m_logoBitmap && m_dpi == kDefaultDpi)
        return;
    UniqueBitmap builtIn;
    if (!m_oemLogo)
        builtIn.Reset(static_cast<HBITMAP>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_OEM_LOGO), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    UniqueBitmap shown = ScaledBitmap(m_oemLogo ? m_oemLogo.Get() : builtIn.Get(), m_dpi);
    if (!shown)
        return;
    // The control hands back the image it showed before: ours, or one it
    // made of its own, which is ours to delete as well.
    const auto previous = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(
        m_hWnd, IDC_OEM_LOGO, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown.Get())));
    if (previous && previous != m_logoBitmap.Get())
        DeleteObject(previous);
    m_logoBitmap = std::move(shown);
}
