#include "bench/appletSettings.h"

namespace velmo_perf {

void QuietApplet(PrefixSettings& settings, bool trace, DWORD periodMs)
{
    settings.SetDword(HKEY_LOCAL_MACHINE, L"TRACE", trace ? 1 : 0);
    if (periodMs == 0)
        settings.Remove(HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout");
    else
        settings.SetDword(HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout", periodMs);
    settings.SetQuietUser();
}

} // namespace velmo_perf
