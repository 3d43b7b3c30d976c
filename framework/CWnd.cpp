#include "framework/CWnd.h"

namespace {

const wchar_t kObjectProperty[] = L"velmo.CWnd";

bool IsCtlColor(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

} // namespace

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    // Unbind first, so that no late message reaches a half-destroyed object.
    HWND window = m_hWnd;
    Unsubclass();
    if (m_ownsWindow)
        DestroyWindow(window);
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    return window ? static_cast<CWnd*>(GetPropW(window, kObjectProperty)) : nullptr;
}

bool CWnd::SubclassWindow(HWND window)
{
    if (!window || m_hWnd || FromHandlePermanent(window))
        return false;
    if (!SetPropW(window, kObjectProperty, this))
        return false;
    m_hWnd = window;
    m_superProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcThunk)));
    PreSubclassWindow();
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd& parent)
{
    return SubclassWindow(GetDlgItem(parent.m_hWnd, static_cast<int>(id)));
}

void CWnd::Unsubclass()
{
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

const MessageMap* CWnd::GetMessageMap() const
{
    static const MessageMapEntry none[] = {MessageMapEntry{}};
    static const MessageMap map{nullptr, none};
    return &map;
}

const MessageMapEntry* CWnd::FindEntry(UINT message, WPARAM wParam, bool reflected) const
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (const MessageMapEntry* entry = map->entries; entry->handler; ++entry) {
            if (entry->reflected != reflected)
                continue;
            const UINT last = entry->lastMessage ? entry->lastMessage : entry->message;
            if (message < entry->message || message > last)
                continue;
            // Reflected notifications come from this control: only the code counts.
            if (message == WM_COMMAND &&
                (entry->code != HIWORD(wParam) || (!reflected && entry->id != LOWORD(wParam))))
                continue;
            return entry;
        }
    }
    return nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    // Control notifications go to the control's own object first.
    if (message == WM_COMMAND && lParam &&
        ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result))
        return result;
    if (const MessageMapEntry* entry = FindEntry(message, wParam, false))
        return entry->handler(*this, wParam, lParam);
    if (IsCtlColor(message))
        return reinterpret_cast<LRESULT>(
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                       message - WM_CTLCOLORMSGBOX));
    return Default();
}

HBRUSH CWnd::OnCtlColor(HDC dc, HWND control, UINT type)
{
    LRESULT result = 0;
    if (ReflectToChild(control, WM_CTLCOLORMSGBOX + type, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(control), result))
        return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

bool CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result)
{
    CWnd* object = FromHandlePermanent(child);
    return object && object->OnChildNotify(message, wParam, lParam, result);
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const MessageMapEntry* entry = FindEntry(message, wParam, true);
    if (!entry)
        return false;
    const MSG previous = m_current;
    m_current = MSG{m_hWnd, message, wParam, lParam, 0, {}};
    result = entry->handler(*this, wParam, lParam);
    m_current = previous;
    return true;
}

LRESULT CWnd::Default()
{
    return CallWindowProcW(m_superProc, m_hWnd, m_current.message, m_current.wParam,
                           m_current.lParam);
}

LRESULT CALLBACK CWnd::WindowProcThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = FromHandlePermanent(window);
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        // The window is going: hand it back to its own procedure and unbind.
        WNDPROC super = self->m_superProc;
        self->Unsubclass();
        return CallWindowProcW(super, window, message, wParam, lParam);
    }

    // Handlers can nest (a message box inside a timer tick): keep the outer message.
    const MSG previous = self->m_current;
    self->m_current = MSG{window, message, wParam, lParam, 0, {}};
    const LRESULT result = self->WindowProc(message, wParam, lParam);
    self->m_current = previous;
    return result;
}
