#include "framework/CDialog.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassDlgItem(static_cast<UINT>(id), *pDX->m_pDlgWnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent)
{
    m_ownsWindow = true;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

bool CDialog::Create()
{
    m_ended = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                              m_parent ? m_parent->m_hWnd : nullptr, &DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal()
{
    if (!Create())
        return -1;
    bool shown = false;
    MSG message;
    while (!m_ended && m_hWnd) {
        // The window shows once the queue first runs dry, as a dialog box does;
        // the show goes through the window's own WM_WINDOWPOSCHANGING. One
        // shown or minimized before then stays as it is: restoring it would
        // undo a hide that came first.
        if (!shown && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            shown = true;
            if (!IsWindowVisible(m_hWnd) && !IsIconic(m_hWnd))
                ShowWindow(m_hWnd, SW_SHOWNORMAL);
            continue;
        }
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // A quit message is the dialog's to handle: it decides how to end.
            SendMessageW(m_hWnd, WM_QUIT, message.wParam, message.lParam);
            continue;
        }
        if (!IsDialogMessageW(m_hWnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    return m_modalResult;
}

void CDialog::EndDialog(INT_PTR result)
{
    m_modalResult = result;
    m_ended = true;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange{this, saveAndValidate != FALSE};
    DoDataExchange(&exchange);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    // From here on every message goes through the object's message map.
    auto* self = reinterpret_cast<CDialog*>(lParam);
    self->SubclassWindow(window);
    return self->OnInitDialog();
}
