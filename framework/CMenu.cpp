#include "framework/CMenu.h"

BOOL CMenu::LoadMenuW(UINT id)
{
    DestroyMenu();
    m_hMenu = ::LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    return m_hMenu != nullptr;
}

void CMenu::DestroyMenu()
{
    if (m_hMenu)
        ::DestroyMenu(std::exchange(m_hMenu, nullptr));
}
