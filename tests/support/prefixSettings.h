// Settings of velmo.exe in the prefix's real registry, changed for a run and
// put back afterwards: a process cannot be pointed at scratch keys from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmo_test {

class PrefixSettings
{
public:
    PrefixSettings() = default;
    // Every value touched gets its old type and data back, or goes again if
    // it was absent; a velmo key this object created goes when left empty.
    ~PrefixSettings();
    PrefixSettings(const PrefixSettings&) = delete;
    PrefixSettings& operator=(const PrefixSettings&) = delete;

    // Under SOFTWARE\Brenlow\Network_Services\velmo of `root`.
    bool SetDword(HKEY root, const wchar_t* name, DWORD value);
    bool Remove(HKEY root, const wchar_t* name);
    // The quiet user of the test support.
    void SetQuietUser();

private:
    struct Saved
    {
        HKEY root;
        std::wstring name;
        bool existed;
        DWORD type;
        std::vector<BYTE> data;
    };

    void Remember(HKEY root, const wchar_t* name);

    std::vector<Saved> m_saved;
    std::vector<HKEY> m_createdKeys;
};

} // namespace velmo_test
