// Random registry values for the configuration, and the rules that say which
// of them the configuration takes: the oracle of the configuration fuzz.
#pragma once

#include "fuzzRun.h"

#include "common/velmoConfig.h"

#include <windows.h>

#include <string>
#include <vector>

namespace velmo_fuzz {

struct StoredValue
{
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The machine-wide values, under a key that may be missing.
struct Machine
{
    bool key = false;
    StoredValue oemUrl, minimize, retries, timeout, polls;
};

// The per-user values, under a key that may be missing.
struct User
{
    bool key = false;
    StoredValue popup, lastEnabled;
};

// Values absent, valid, or of any type and size with random bytes (empty,
// 0 to 8 bytes, around 520, 4 KiB, 64 KiB).
Machine RandomMachine(FuzzRun& run);
User RandomUser(FuzzRun& run);

// A 4-byte REG_DWORD.
bool IsDword(const StoredValue& value);
DWORD DwordOf(const StoredValue& value);

// What ReadAll leaves in a configuration and the records it writes, in order.
struct Expected
{
    CVelmoConfig config;
    std::vector<std::string> records;
};
Expected ExpectedFor(const Machine& machine, const User& user);

// The fields of `actual` that differ from `expected`; empty when none do.
std::string Differences(const CVelmoConfig& actual, const CVelmoConfig& expected);
// Every value stored, by type and size, for a failure message.
std::string Describe(const Machine& machine, const User& user);

} // namespace velmo_fuzz
