// Points this process's standard output (file descriptor 1) elsewhere for the
// object's life. The applet's trace call, with tracing off, prints a line on
// every call; a windowed program has no console to print it to.
#pragma once

namespace velmo_perf {

class StdoutAside
{
public:
    enum class To
    {
        Nul,     // written and discarded by the system
        File,    // a scratch file, as when standard output is redirected to one
        Nowhere, // descriptor closed, as in a windowed program on Windows: writes fail at once
    };

    explicit StdoutAside(To to);
    ~StdoutAside();
    StdoutAside(const StdoutAside&) = delete;
    StdoutAside& operator=(const StdoutAside&) = delete;

private:
    int m_saved;
    bool m_toFile = false;
};

} // namespace velmo_perf
