#pragma once

#include <windows.h>

#include <utility>

// A menu loaded from the resources, destroyed with the object.
class CMenu
{
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL LoadMenuW(UINT id);
    void DestroyMenu();
    HMENU GetSubMenu(int position) const { return ::GetSubMenu(m_hMenu, position); }

    HMENU m_hMenu = nullptr;
};
