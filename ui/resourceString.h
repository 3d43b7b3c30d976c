// A string resource of the exe in the user's language: at most 259
// characters, and empty when the string does not exist.
#pragma once

#include <windows.h>

#include <string>

std::wstring ResourceString(UINT id);
