// Size trial, not part of the applet: with the applet's code built with
// -fno-exceptions, the only throws left are the library's own for these
// three failures, which nothing catches; aborting at once ends the process
// as the uncaught throw would, without the exception classes, their
// strings and the unwinder.
#include <cstdlib>
#include <new>
#include <string>

namespace std {

void __throw_bad_alloc()
{
    std::abort();
}

void __throw_bad_array_new_length()
{
    std::abort();
}

void __throw_length_error(const char*)
{
    std::abort();
}

} // namespace std
