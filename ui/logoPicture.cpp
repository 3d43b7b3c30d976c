#include "ui/logoPicture.h"

#include "res/resource.h"
#include "ui/resourceString.h"

#include <oleacc.h>

BEGIN_MESSAGE_MAP(CLogoPicture, CStatic)
    ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

LRESULT CLogoPicture::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    return m_accessible.Answer(m_hWnd, wParam, lParam, result) ? result : Default();
}

LONG CLogoPicture::Role(LONG) const
{
    return ROLE_SYSTEM_GRAPHIC;
}

std::wstring CLogoPicture::Name() const
{
    return ResourceString(IDS_LOGO_NAME);
}
