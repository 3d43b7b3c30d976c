// velmo.exe's settings in the prefix for a measured run.
#pragma once

#include "support/prefixSettings.h"

namespace velmo_perf {

using velmo_test::PrefixSettings;

// Tracing as asked, the poll period as asked (the default when 0), and a
// user who has seen "enabled" before and wants no start pop-up, so that a
// steady "enabled" leaves the window hidden.
void QuietApplet(PrefixSettings& settings, bool trace, DWORD periodMs = 0);

} // namespace velmo_perf
