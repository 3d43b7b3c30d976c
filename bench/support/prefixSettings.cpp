#include "bench/support/prefixSettings.h"

#include "common/regKey.h"
#include "support/testSupport.h"

#include <algorithm>

namespace velmo_perf {

namespace {

constexpr const wchar_t* kKeyPath = L"SOFTWARE\\Brenlow\\Network_Services\\velmo";

bool KeyExists(HKEY root)
{
    UniqueRegKey key;
    return RegOpenKeyExW(root, kKeyPath, 0, KEY_READ | velmo_test::kNativeView, key.Put()) ==
           ERROR_SUCCESS;
}

UniqueRegKey WritableKey(HKEY root)
{
    UniqueRegKey key;
    if (RegCreateKeyExW(root, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE | velmo_test::kNativeView, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS)
        key.Reset();
    return key;
}

bool KeyIsEmpty(HKEY root)
{
    UniqueRegKey key;
    DWORD subkeys = 0;
    DWORD values = 0;
    return RegOpenKeyExW(root, kKeyPath, 0, KEY_READ | velmo_test::kNativeView, key.Put()) ==
               ERROR_SUCCESS &&
           RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                            &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

} // namespace

PrefixSettings::~PrefixSettings()
{
    for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved) {
        UniqueRegKey key = WritableKey(saved->root);
        if (!key)
            continue;
        if (saved->existed)
            RegSetValueExW(key.Get(), saved->name.c_str(), 0, saved->type, saved->data.data(),
                           static_cast<DWORD>(saved->data.size()));
        else
            RegDeleteValueW(key.Get(), saved->name.c_str());
    }
    for (HKEY root : m_createdKeys) {
        if (KeyIsEmpty(root))
            RegDeleteKeyExW(root, kKeyPath, velmo_test::kNativeView, 0);
    }
}

void PrefixSettings::Remember(HKEY root, const wchar_t* name)
{
    const bool known = std::any_of(m_saved.begin(), m_saved.end(), [&](const Saved& saved) {
        return saved.root == root && saved.name == name;
    });
    if (known)
        return;
    if (!KeyExists(root) &&
        std::find(m_createdKeys.begin(), m_createdKeys.end(), root) == m_createdKeys.end())
        m_createdKeys.push_back(root);

    // Raw, as stored: RegGetValueW would mend an unterminated string.
    Saved saved{root, name, false, REG_NONE, {}};
    UniqueRegKey key;
    DWORD size = 0;
    if (RegOpenKeyExW(root, kKeyPath, 0, KEY_READ | velmo_test::kNativeView, key.Put()) ==
            ERROR_SUCCESS &&
        RegQueryValueExW(key.Get(), name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.existed = RegQueryValueExW(key.Get(), name, nullptr, &saved.type,
                                         saved.data.data(), &size) == ERROR_SUCCESS;
        saved.data.resize(size);
    }
    m_saved.push_back(std::move(saved));
}

bool PrefixSettings::SetDword(HKEY root, const wchar_t* name, DWORD value)
{
    Remember(root, name);
    UniqueRegKey key = WritableKey(root);
    return key && RegSetValueExW(key.Get(), name, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value),
                                 sizeof value) == ERROR_SUCCESS;
}

bool PrefixSettings::Remove(HKEY root, const wchar_t* name)
{
    Remember(root, name);
    UniqueRegKey key = WritableKey(root);
    if (!key)
        return false;
    const LONG status = RegDeleteValueW(key.Get(), name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace velmo_perf
