#include "ui/comApartment.h"

#include "common/systemFunction.h"
#include "common/uniqueHandle.h"

#include <objbase.h>

namespace {

class ComApartment
{
public:
    ComApartment() : m_ole(LoadSystemLibrary(L"ole32.dll"))
    {
        using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
        const auto initialize = SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
        m_entered = initialize &&
                    SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    ~ComApartment()
    {
        using CoUninitializeFn = void(WINAPI*)();
        if (const auto uninitialize =
                m_entered ? SystemFunction<CoUninitializeFn>(L"ole32.dll", "CoUninitialize")
                          : nullptr)
            uninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Entered() const { return m_entered; }

private:
    UniqueHandle<HMODULE, &FreeLibrary> m_ole;
    bool m_entered = false;
};

} // namespace

bool EnterComApartment()
{
    static const ComApartment apartment;
    return apartment.Entered();
}
