// The applet's code is built without exceptions; the only throws left are
// the standard library's own for these failures, which nothing would catch.
// Aborting at once ends the process as the uncaught throw would, without the
// exception classes, their strings and the unwinder in the exe.
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
