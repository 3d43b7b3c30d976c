#include "support/publisher.h"

#include "support/programs.h"

#include <gtest/gtest.h>

namespace velmo_test {

namespace {

const wchar_t* StatusName(Korva status)
{
    return status == Korva::kEnabled ? L"enabled" : L"disabled";
}

std::wstring ServeArguments(Korva status, DWORD sectionSize)
{
    std::wstring arguments = std::wstring(L"--status ") + StatusName(status);
    if (sectionSize != 512)
        arguments += L" --size " + std::to_wstring(sectionSize);
    return arguments;
}

} // namespace

TestSection::TestSection(DWORD size)
{
    const DWORD error = m_section.Create(size);
    EXPECT_NE(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS))
        << "another Global\\KorvaStatus is alive";
    EXPECT_EQ(error, 0u) << "creating Global\\KorvaStatus";
    m_valid = error == 0;
}

void TestSection::Write(std::uint32_t header, std::uint32_t length, std::uint32_t status)
{
    ASSERT_TRUE(Valid());
    m_section.Write({header, length, status});
}

bool SectionExists()
{
    return static_cast<bool>(
        UniqueKernelHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, kSectionName)));
}

std::optional<DWORD> PublishedStatus()
{
    StatusSection section;
    if (section.Open(FILE_MAP_READ) != 0)
        return std::nullopt;
    const StatusRecord record = section.Read();
    if (record.header != 0 || record.length != 4)
        return std::nullopt;
    return record.status;
}

Publisher::Publisher(Korva status, DWORD sectionSize) : Publisher(ServeArguments(status, sectionSize))
{
    m_ready = m_ready && WaitUntil([status] { return PublishedStatus() == static_cast<DWORD>(status); });
}

Publisher::Publisher(const std::wstring& arguments)
    : m_server(CommandLine(KorvapubExePath(), L"serve " + arguments),
               {ChildProcess::Input::Pipe, ChildProcess::Output::Nul, false, {}})
{
    m_ready = m_server.Started() && WaitUntil(&SectionExists);
}

void Publisher::Stop()
{
    if (!m_server.Started())
        return;
    m_server.CloseInput();
    if (!m_server.WaitForExit())
        m_server.Kill();
    WaitUntil([] { return !SectionExists(); });
    m_ready = false;
}

bool Publisher::Set(Korva status)
{
    return Set(StatusName(status)) && PublishedStatus() == static_cast<DWORD>(status);
}

bool Publisher::Set(const std::wstring& arguments)
{
    return RunProcess(CommandLine(KorvapubExePath(), L"set " + arguments), DeadlineMs())
               .exitCode == 0;
}

} // namespace velmo_test
