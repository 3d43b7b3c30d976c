// The icons in Wine's notification area, counted from outside: explorer
// draws each as a child window of its standalone tray window, made while the
// Shell_NotifyIconW(NIM_ADD) call that asked for it is still running.
#pragma once

namespace velmo_test {

// Icons shown now; 0 also when the tray window does not exist (yet).
long TrayIcons();

} // namespace velmo_test
