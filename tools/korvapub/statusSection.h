// Global\KorvaStatus as the publisher sees it: created or opened, mapped
// whole, and read or written one status record at a time.
#pragma once

#include "common/kernelHandle.h"

#include <windows.h>

#include <cstdint>

inline constexpr const wchar_t* kSectionName = L"Global\\KorvaStatus";
inline constexpr const wchar_t* kStopEventName = L"Global\\KorvaPubStop";


// The record at the start of the section, little-endian.
struct StatusRecord
{
    std::uint32_t header = 0; // 0: the record holds a status
    std::uint32_t length = 4; // bytes of status after the header
    std::uint32_t status = 2; // unknown
};

inline constexpr std::uint32_t kRecordSize = sizeof(StatusRecord);

class StatusSection
{
public:
    // Each gives the system's error code, 0 on success. Create fails with
    // ERROR_ALREADY_EXISTS when another publisher holds the section.
    DWORD Create(std::uint32_t size);
    DWORD Open(DWORD access);

    // A view is at least a page, so the record fits even in a section made
    // smaller than the record by someone else.
    StatusRecord Read() const;
    void Write(const StatusRecord& record);
    // The whole view, for writing more than a record.
    std::uint8_t* Bytes() const { return static_cast<std::uint8_t*>(m_view.Get()); }

private:
    DWORD Map(DWORD access);

    UniqueKernelHandle m_mapping;
    UniqueMappedView m_view;
};
