#include "support/prefixSettings.h"

#include "support/testSupport.h"

#include <algorithm>

namespace velmo_test {

namespace {

bool KeyIsEmpty(HKEY root)
{
    const UniqueRegKey key = VelmoKey(root, KEY_READ);
    DWORD subkeys = 0;
    DWORD values = 0;
    return key &&
           RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                            &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

} // namespace

PrefixSettings::~PrefixSettings()
{
    for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved) {
        const UniqueRegKey key = VelmoKey(saved->root, KEY_SET_VALUE);
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
            RegDeleteKeyExW(root, kVelmoKeyPath, kNativeView, 0);
    }
}

void PrefixSettings::Remember(HKEY root, const wchar_t* name)
{
    const bool known = std::any_of(m_saved.begin(), m_saved.end(), [&](const Saved& saved) {
        return saved.root == root && saved.name == name;
    });
    if (known)
        return;
    if (!VelmoKey(root, KEY_READ) &&
        std::find(m_createdKeys.begin(), m_createdKeys.end(), root) == m_createdKeys.end())
        m_createdKeys.push_back(root);

    // Raw, as stored: RegGetValueW would mend an unterminated string.
    Saved saved{root, name, false, REG_NONE, {}};
    const UniqueRegKey key = VelmoKey(root, KEY_READ);
    DWORD size = 0;
    if (key && RegQueryValueExW(key.Get(), name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
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
    const UniqueRegKey key = VelmoKey(root, KEY_READ | KEY_WRITE, true);
    return key && RegSetValueExW(key.Get(), name, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value),
                                 sizeof value) == ERROR_SUCCESS;
}

void PrefixSettings::SetQuietUser()
{
    for (const NamedDword& value : kQuietUser)
        SetDword(HKEY_CURRENT_USER, value.name, value.value);
}

bool PrefixSettings::Remove(HKEY root, const wchar_t* name)
{
    Remember(root, name);
    const UniqueRegKey key = VelmoKey(root, KEY_READ | KEY_WRITE, true);
    if (!key)
        return false;
    const LONG status = RegDeleteValueW(key.Get(), name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace velmo_test
