// The application object: one per program, constructed statically; the
// program's entry point hands control to its InitInstance.
#pragma once

#include <windows.h>

class CWinApp
{
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns false to end the program without a message loop of its own.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
