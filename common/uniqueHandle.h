// Move-only owner of one handle, released by `Close` when it goes.
#pragma once

#include <utility>

template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle
{
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Invalid; }
    Handle Release() { return std::exchange(m_handle, Invalid); }
    void Reset(Handle handle = Invalid)
    {
        if (m_handle != Invalid)
            Close(m_handle);
        m_handle = handle;
    }
    // For functions that hand out a new handle through a pointer.
    Handle* Put()
    {
        Reset();
        return &m_handle;
    }

private:
    Handle m_handle = Invalid;
};
