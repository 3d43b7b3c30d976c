#pragma once

#include "framework/CWnd.h"

// A static control.
class CStatic : public CWnd
{
};
