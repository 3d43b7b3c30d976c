// A dialog from a template, run modally by its own message loop.
#pragma once

#include "framework/CWnd.h"

class CDialog;

// The context of DoDataExchange: binds control objects to the dialog's controls.
struct CDataExchange
{
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `id` the first time it is called.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Creates the window and runs the dialog's message loop until the window
    // is destroyed or EndDialog is called.
    virtual INT_PTR DoModal();
    // Creates the window from the template, hidden, without running it.
    bool Create();
    void EndDialog(INT_PTR result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;
    INT_PTR m_modalResult = -1;
    bool m_ended = false;
};
