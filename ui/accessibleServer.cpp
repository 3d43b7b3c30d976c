#include "ui/accessibleServer.h"

#include "common/systemFunction.h"
#include "common/uniqueHandle.h"
#include "ui/comApartment.h"

#include <oleacc.h>

#include <new>

namespace {

// From the system directory, for the rest of the process.
struct AccessibilityLibraries
{
    UniqueHandle<HMODULE, &FreeLibrary> oleacc{LoadSystemLibrary(L"oleacc.dll")};
    UniqueHandle<HMODULE, &FreeLibrary> oleaut{LoadSystemLibrary(L"oleaut32.dll")};
};

bool LoadAccessibility()
{
    static const AccessibilityLibraries libraries;
    return libraries.oleacc && libraries.oleaut && EnterComApartment();
}

BSTR AllocString(const std::wstring& text)
{
    using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);
    const auto allocate = SystemFunction<SysAllocStringFn>(L"oleaut32.dll", "SysAllocString");
    return allocate ? allocate(text.c_str()) : nullptr;
}

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// A text answer of ours, or the standard object's.
template <typename Standard>
HRESULT TextAnswer(const std::wstring& ours, BSTR* text, Standard standard)
{
    if (ours.empty())
        return standard();
    if (!text)
        return E_POINTER;
    *text = AllocString(ours);
    return *text ? S_OK : E_OUTOFMEMORY;
}

} // namespace

// The standard object with the control's own answers in front. Also an
// IOleWindow, as the standard object is, so that clients find the window.
class AccessibleProxy final : public IAccessible, public IOleWindow
{
public:
    AccessibleProxy(HWND window, IAccessible* standard, AccessibleAnswers& answers)
        : m_window(window), m_standard(standard), m_answers(&answers)
    {
    }
    AccessibleProxy(const AccessibleProxy&) = delete;
    AccessibleProxy& operator=(const AccessibleProxy&) = delete;

    // The control is gone: nothing more reaches it.
    void Disconnect()
    {
        m_answers = nullptr;
        if (m_standard)
            m_standard->Release();
        m_standard = nullptr;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (id == __uuidof(IOleWindow))
            *object = static_cast<IOleWindow*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            Disconnect();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch: the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        return Forward([&](IAccessible& standard) { return standard.GetTypeInfoCount(count); });
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return Forward(
            [&](IAccessible& standard) { return standard.GetTypeInfo(index, locale, info); });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        return Forward([&](IAccessible& standard) {
            return standard.GetIDsOfNames(id, names, count, locale, ids);
        });
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argument) override
    {
        return Forward([&](IAccessible& standard) {
            return standard.Invoke(member, id, locale, flags, parameters, result, exception,
                                   argument);
        });
    }

    // IAccessible: what the control answers itself.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return Forward([&](IAccessible& standard) {
            return TextAnswer(IsSelf(child) ? m_answers->Name() : std::wstring(), name,
                              [&] { return standard.get_accName(child, name); });
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return Forward([&](IAccessible& standard) {
            return Number(child, role, standard.get_accRole(child, role),
                          [&](LONG value) { return m_answers->Role(value); });
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return Forward([&](IAccessible& standard) {
            return Number(child, state, standard.get_accState(child, state),
                          [&](LONG value) { return m_answers->State(value); });
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return Forward([&](IAccessible& standard) {
            return TextAnswer(IsSelf(child) ? m_answers->DefaultAction() : std::wstring(), action,
                              [&] { return standard.get_accDefaultAction(child, action); });
        });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return Forward([&](IAccessible& standard) {
            if (IsSelf(child) && m_answers->DoDefaultAction())
                return S_OK;
            return standard.accDoDefaultAction(child);
        });
    }

    // IAccessible: the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return Forward([&](IAccessible& standard) { return standard.get_accParent(parent); });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        return Forward([&](IAccessible& standard) { return standard.get_accChildCount(count); });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return Forward(
            [&](IAccessible& standard) { return standard.get_accChild(child, object); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return Forward(
            [&](IAccessible& standard) { return standard.get_accValue(child, value); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return Forward([&](IAccessible& standard) {
            return standard.get_accDescription(child, description);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return Forward([&](IAccessible& standard) { return standard.get_accHelp(child, help); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        return Forward(
            [&](IAccessible& standard) { return standard.get_accHelpTopic(file, child, topic); });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return Forward([&](IAccessible& standard) {
            return standard.get_accKeyboardShortcut(child, shortcut);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        return Forward([&](IAccessible& standard) { return standard.get_accFocus(focus); });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return Forward(
            [&](IAccessible& standard) { return standard.get_accSelection(selection); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        return Forward([&](IAccessible& standard) { return standard.accSelect(flags, child); });
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override
    {
        return Forward([&](IAccessible& standard) {
            return standard.accLocation(left, top, width, height, child);
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return Forward(
            [&](IAccessible& standard) { return standard.accNavigate(direction, start, end); });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override
    {
        return Forward([&](IAccessible& standard) { return standard.accHitTest(x, y, child); });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return Forward([&](IAccessible& standard) { return standard.put_accName(child, name); });
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return Forward(
            [&](IAccessible& standard) { return standard.put_accValue(child, value); });
    }

private:
    ~AccessibleProxy() = default;

    template <typename Call>
    HRESULT Forward(Call call)
    {
        return m_standard && m_answers ? call(*m_standard) : RPC_E_DISCONNECTED;
    }

    // A number the control may replace, from the standard object's answer.
    template <typename Ours>
    static HRESULT Number(VARIANT child, VARIANT* answer, HRESULT standard, Ours ours)
    {
        if (!IsSelf(child) || !answer)
            return standard;
        const LONG given = SUCCEEDED(standard) && answer->vt == VT_I4 ? answer->lVal : 0;
        answer->vt = VT_I4;
        answer->lVal = ours(given);
        return S_OK;
    }

    HWND m_window;
    IAccessible* m_standard;
    AccessibleAnswers* m_answers;
    LONG m_references = 1;
};

CAccessibleServer::~CAccessibleServer()
{
    if (!m_proxy)
        return;
    m_proxy->Disconnect();
    m_proxy->Release();
}

bool CAccessibleServer::Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !LoadAccessibility())
        return false;
    if (!m_proxy) {
        using CreateFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
        const auto create = SystemFunction<CreateFn>(L"oleacc.dll", "CreateStdAccessibleObject");
        IAccessible* standard = nullptr;
        if (!create || FAILED(create(window, OBJID_CLIENT, __uuidof(IAccessible),
                                     reinterpret_cast<void**>(&standard))))
            return false;
        m_proxy = new (std::nothrow) AccessibleProxy(window, standard, m_answers);
        if (!m_proxy) {
            standard->Release();
            return false;
        }
    }
    using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    const auto reference =
        SystemFunction<LresultFromObjectFn>(L"oleacc.dll", "LresultFromObject");
    if (!reference)
        return false;
    result = reference(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(m_proxy));
    return true;
}
