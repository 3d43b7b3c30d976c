#include "bench/support/publisher.h"

#include "app/appDriver.h"
#include "support/testSupport.h"

namespace velmo_perf {

namespace {

constexpr DWORD kDeadlineMs = 10000;

} // namespace

Publisher::Publisher(const std::wstring& arguments)
    : m_server(CommandLine(velmo_app_test::KorvapubExePath(), L"serve " + arguments),
               ChildProcess::Input::Pipe)
{
    m_ready = m_server.Started() &&
              velmo_app_test::WaitUntil([] { return velmo_app_test::SectionExists(); },
                                        kDeadlineMs);
}

void Publisher::Stop()
{
    if (!m_server.Started())
        return;
    // The server ends when its standard input closes.
    m_server.CloseInput();
    if (!m_server.WaitForExit(kDeadlineMs))
        m_server.Kill();
    velmo_app_test::WaitUntil([] { return !velmo_app_test::SectionExists(); }, kDeadlineMs);
    m_ready = false;
}

bool Publisher::Set(const std::wstring& arguments)
{
    return velmo_test::RunProcess(CommandLine(velmo_app_test::KorvapubExePath(),
                                              L"set " + arguments),
                                  kDeadlineMs)
               .exitCode == 0;
}

} // namespace velmo_perf
