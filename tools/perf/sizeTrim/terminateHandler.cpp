// Size trial, not part of the applet: replaces libstdc++'s verbose terminate
// handler, which prints the type of an uncaught exception to standard error
// (a windowed process has none) and pulls in the C++ demangler, with a plain
// abort(): what the verbose one does after printing.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
