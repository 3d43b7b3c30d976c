#pragma once

#include "framework/CWinApp.h"

#include <string>

// The applet: one instance per logon session, living inside its dialog's modal run.
class Ckorva2checkApp : public CWinApp
{
public:
    ~Ckorva2checkApp() override = default;
    BOOL InitInstance() override;
};

// -1 when another instance holds the mutex; else what creating it gave.
HANDLE AcquireInstanceMutex(std::wstring name);
