// The configuration against a redirected registry: each test starts with no
// applet key under either root and a cursor at the end of the log.
#pragma once

#include "common/velmoConfig.h"
#include "support/testSupport.h"
#include "support/traceTexts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace config_test {

namespace traced = velmo_test::traced;

using Texts = std::vector<std::string>;

// Every machine-wide value, set to something other than its default.
struct MachineValues
{
    std::wstring oemUrl = L"https://oem.example/support";
    DWORD minimize = 0;
    DWORD retries = 3;
    DWORD timeout = 2500;
    DWORD polls = 4;
};

class ConfigTest : public ::testing::Test
{
protected:
    void SetUp() override;

    static void WriteMachineValues(const MachineValues& values = {});
    static void SetUserDword(const wchar_t* name, DWORD value);

    // A configuration read from the registry as it stands.
    static CVelmoConfig ReadConfig();

    // ENTRY texts of the records the configuration's own source wrote since
    // SetUp (other processes of the prefix may write to the log meanwhile).
    Texts Records() const;

private:
    std::optional<velmo_test::LogCursor> m_cursor;
};

// Decides the process's trace switch as on, then keeps the redirection for
// the whole run (tests delete the key that held TRACE).
class ConfigEnvironment : public velmo_test::TracingEnvironment
{
public:
    void SetUp() override;
};

} // namespace config_test
