#include "support/accessibleReading.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <oleacc.h>

namespace velmo_test {
namespace {

// The test's thread in an apartment, for the process's life.
struct ComForThisThread
{
    ComForThisThread() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComForThisThread() { CoUninitialize(); }
};

void EnterCom()
{
    static const ComForThisThread com;
}

// A text the object gives through `get`, empty when it gives none.
template <typename Get>
std::wstring Text(Get get)
{
    BSTR text = nullptr;
    const HRESULT result = get(&text);
    std::wstring copy = SUCCEEDED(result) && text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return copy;
}

std::optional<AccessibleReading> Read(IAccessible* object)
{
    if (!object)
        return std::nullopt;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    AccessibleReading reading;
    VARIANT value{};
    if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4)
        reading.role = value.lVal;
    VariantClear(&value);
    if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4)
        reading.state = value.lVal;
    VariantClear(&value);
    reading.name = Text([&](BSTR* text) { return object->get_accName(self, text); });
    reading.defaultAction =
        Text([&](BSTR* text) { return object->get_accDefaultAction(self, text); });
    object->Release();
    return reading;
}

IAccessible* ClientObject(HWND window)
{
    EnterCom();
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

} // namespace

std::optional<AccessibleReading> ReadAccessible(HWND window)
{
    return Read(ClientObject(window));
}

std::optional<AccessibleReading> ReadStandardAccessible(HWND window)
{
    EnterCom();
    IAccessible* object = nullptr;
    if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&object))))
        return std::nullopt;
    return Read(object);
}

HRESULT DoAccessibleDefaultAction(HWND window)
{
    IAccessible* object = ClientObject(window);
    if (!object)
        return E_FAIL;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    const HRESULT result = object->accDoDefaultAction(self);
    object->Release();
    return result;
}

void ExpectControlsRead(HWND dialog, const std::function<std::wstring(UINT)>& text,
                        UINT statusText)
{
    // Role 0: what the control's class gives, here and on Windows alike.
    const struct
    {
        int control; // 0: the window itself
        LONG role;
        UINT name;
        UINT action; // 0: the standard object's
    } controls[] = {
        {0, 0, IDS_WINDOW_CAPTION, 0},
        {IDC_OEM_LINK, ROLE_SYSTEM_LINK, IDS_OEM_LINK_TEXT, IDS_LINK_ACTION},
        {IDC_OEM_LOGO, ROLE_SYSTEM_GRAPHIC, IDS_LOGO_NAME, 0},
        {IDC_STATUS_TEXT, 0, statusText, 0},
        {IDC_ABOUT_TEXT, 0, IDS_ABOUT_TEXT, 0},
        {IDC_PRIVACY_TEXT, 0, IDS_PRIVACY_TEXT, 0},
        {IDC_CHOICE_TEXT, 0, IDS_CHOICE_TEXT, 0},
        {IDC_POPUP_OFF_CHECK, 0, IDS_POPUP_OFF, 0},
        {IDC_POPUP_ON_CHECK, 0, IDS_POPUP_ON, 0},
        {IDC_HIDE_BUTTON, 0, IDS_HIDE_BUTTON, 0},
    };
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    for (const auto& each : controls) {
        SCOPED_TRACE(::testing::Message() << "control " << each.control);
        HWND window = each.control ? GetDlgItem(dialog, each.control) : dialog;
        const std::optional<AccessibleReading> read = ReadAccessible(window);
        const std::optional<AccessibleReading> standard = ReadStandardAccessible(window);
        ASSERT_TRUE(read && standard);
        EXPECT_EQ(read->name, text(each.name));
        EXPECT_FALSE(read->name.empty());
        EXPECT_EQ(read->role, each.role ? each.role : standard->role);
        EXPECT_EQ(read->defaultAction, each.action ? text(each.action) : standard->defaultAction);
        if (each.role != ROLE_SYSTEM_LINK) {
            EXPECT_EQ(read->state, standard->state);
            continue;
        }
        // As the system's link control: linked, focusable, focused with the
        // keyboard focus, and invisible while its window is.
        const LONG kept = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_UNAVAILABLE;
        const LONG focused = thread.hwndFocus == window ? STATE_SYSTEM_FOCUSED : 0;
        EXPECT_EQ(read->state, (standard->state & kept) | STATE_SYSTEM_LINKED |
                                   STATE_SYSTEM_FOCUSABLE | focused);
    }
}

} // namespace velmo_test
