#pragma once

#include "framework/CWnd.h"

// A button control, here the check boxes of a dialog.
class CButton : public CWnd
{
public:
    int GetCheck() const { return static_cast<int>(SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int check) { SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(check), 0); }
};
