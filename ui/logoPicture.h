// Control 1010, the logo: a picture with a name to a screen reader, where
// the static control beneath would read the marker of its bitmap's resource.
#pragma once

#include "framework/CStatic.h"
#include "ui/accessibleServer.h"

class CLogoPicture : public CStatic, private AccessibleAnswers
{
protected:
    DECLARE_MESSAGE_MAP()

private:
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LONG Role(LONG standard) const override;
    std::wstring Name() const override;

    CAccessibleServer m_accessible{*this};
};
