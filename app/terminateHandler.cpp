// libstdc++'s default terminate handler prints the type of an uncaught
// exception to standard error, which a windowed process has not got, and
// pulls the C++ demangler (about 50 KB) into the exe for it. This one only
// does what that handler does after printing.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
