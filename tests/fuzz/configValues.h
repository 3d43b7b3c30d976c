// Random registry values for the configuration, and the rule that says which
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

// In the order ReadAll reads them, then the one only ReadUserDword reads; the
// first five are the machine's, the rest the user's.
enum Slot : int { kOemUrl, kMinimize, kRetries, kTimeout, kPolls, kPopup, kLastEnabled, kSlots };

struct Setting
{
    HKEY root;
    const wchar_t* name;
    const char* record;  // left when the value is not taken
};
extern const Setting kSettings[kSlots];

struct Round
{
    bool machineKey = false;
    bool userKey = false;
    StoredValue values[kSlots];
};

// Keys there or not; values absent, valid, or of any type and size with
// random bytes (empty, 0 to 8 bytes, around 520, 4 KiB, 64 KiB).
Round RandomRound(FuzzRun& run);

bool KeyThere(const Round& round, int slot);
// The rule: a value is taken only when its key is there and it is valid, a
// 4-byte REG_DWORD or, for OemUrl, a REG_SZ of at most 520 bytes.
bool Taken(const Round& round, int slot);
DWORD DwordOf(const StoredValue& value);

// What ReadAll leaves in a configuration and the records it writes, in order.
struct Expected
{
    CVelmoConfig config;
    std::vector<std::string> records;
};
Expected ExpectedFor(const Round& round);

// The type and size of every value stored, for a failure message.
std::string Describe(const Round& round);

} // namespace velmo_fuzz
