#pragma once

#include <windows.h>

#include <utility>

// An open registry key, closed when it goes out of scope.
class UniqueRegKey
{
public:
    UniqueRegKey() = default;
    ~UniqueRegKey() { Reset(); }
    UniqueRegKey(UniqueRegKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}
    UniqueRegKey& operator=(UniqueRegKey&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_key = std::exchange(other.m_key, nullptr);
        }
        return *this;
    }
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;

    HKEY Get() const { return m_key; }
    HKEY* Put()
    {
        Reset();
        return &m_key;
    }
    explicit operator bool() const { return m_key != nullptr; }

private:
    void Reset()
    {
        if (m_key)
            RegCloseKey(std::exchange(m_key, nullptr));
    }

    HKEY m_key = nullptr;
};
