#include "appFixture.h"

#include "appDriver.h"
#include "res/resource.h"

#include <algorithm>

namespace velmo_app_test {

namespace {

void DeleteVelmoKeys()
{
    velmo_test::DeleteVelmoKey(HKEY_LOCAL_MACHINE);
    velmo_test::DeleteVelmoKey(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
    velmo_test::DeleteVelmoKey(HKEY_CURRENT_USER);
}

} // namespace

void AppTest::SetUp()
{
    m_caption = VelmoString(IDS_WINDOW_CAPTION);
    // An empty caption would match unrelated windows.
    ASSERT_FALSE(m_caption.empty()) << "the window caption of velmo.exe";
    ASSERT_TRUE(TopLevelWindows(0, nullptr, m_caption).empty())
        << "a velmo.exe from elsewhere is running in this prefix";
    ASSERT_FALSE(SectionExists()) << "a Global\\KorvaStatus from elsewhere is alive";

    DeleteVelmoKeys();
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1);
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout", kPollPeriodMs);
    // Zero never reaches the warning; the tests that want it set a count.
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries", 0);
    m_log.emplace();
}

void AppTest::TearDown()
{
    DeleteVelmoKeys();
}

long AppTest::Count(const std::string& message) const
{
    const std::vector<std::string> entries = Entries();
    return static_cast<long>(std::count(entries.begin(), entries.end(), message));
}

bool AppTest::WaitForEntry(const std::string& message, long times) const
{
    return WaitUntil([&] { return Count(message) >= times; });
}

} // namespace velmo_app_test
