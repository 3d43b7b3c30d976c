#include "ui/resourceString.h"

std::wstring ResourceString(UINT id)
{
    wchar_t text[260] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, text, 260);
    return text;
}
