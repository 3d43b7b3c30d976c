#include "tools/korvapub/statusSection.h"

#include <cstring>

DWORD StatusSection::Create(std::uint32_t size)
{
    m_mapping.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                       kSectionName));
    const DWORD error = GetLastError();
    if (!m_mapping || error == ERROR_ALREADY_EXISTS) {
        m_mapping.Reset();
        return error;
    }
    return Map(FILE_MAP_WRITE);
}

DWORD StatusSection::Open(DWORD access)
{
    m_mapping.Reset(OpenFileMappingW(access, FALSE, kSectionName));
    return m_mapping ? Map(access) : GetLastError();
}

DWORD StatusSection::Map(DWORD access)
{
    m_view.Reset(MapViewOfFile(m_mapping.Get(), access, 0, 0, 0));
    return m_view ? 0 : GetLastError();
}

StatusRecord StatusSection::Read() const
{
    StatusRecord record;
    std::memcpy(&record, m_view.Get(), kRecordSize);
    return record;
}

void StatusSection::Write(const StatusRecord& record)
{
    std::memcpy(m_view.Get(), &record, kRecordSize);
}
