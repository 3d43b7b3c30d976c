// What a screen reader learns of a control drawn or meant otherwise than its
// window class says: the control's standard accessible object, with the
// answers that differ put in front. Oleacc is loaded at the first request of
// an accessibility client, never at start.
#pragma once

#include <windows.h>

#include <string>

// The answers of one control that differ from its standard object's. Each
// is given the standard answer; an empty text leaves the standard one.
class AccessibleAnswers
{
public:
    virtual LONG Role(LONG standard) const { return standard; }
    virtual LONG State(LONG standard) const { return standard; }
    virtual std::wstring Name() const { return {}; }
    virtual std::wstring DefaultAction() const { return {}; }
    // False: the standard object's default action, if any.
    virtual bool DoDefaultAction() { return false; }

protected:
    ~AccessibleAnswers() = default;
};

// Serves WM_GETOBJECT for one control. The object it hands out lives as long
// as its clients hold it, and answers RPC_E_DISCONNECTED once the server is
// gone.
class CAccessibleServer
{
public:
    explicit CAccessibleServer(AccessibleAnswers& answers) : m_answers(answers) {}
    ~CAccessibleServer();
    CAccessibleServer(const CAccessibleServer&) = delete;
    CAccessibleServer& operator=(const CAccessibleServer&) = delete;

    // The answer to WM_GETOBJECT of `window` for the client area; false for
    // other objects, which the window's own procedure answers.
    bool Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    AccessibleAnswers& m_answers;
    class AccessibleProxy* m_proxy = nullptr;
};
