#include "bench/support/stdoutAside.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace velmo_perf {

StdoutAside::StdoutAside(To to)
{
    std::fflush(stdout);
    m_saved = _dup(1);
    if (to == To::Nul) {
        const int nul = _open("NUL", _O_WRONLY);
        if (nul >= 0) {
            _dup2(nul, 1);
            _close(nul);
        }
    } else {
        _close(1);
    }
}

StdoutAside::~StdoutAside()
{
    std::fflush(stdout);
    if (m_saved >= 0) {
        _dup2(m_saved, 1);
        _close(m_saved);
    }
    std::clearerr(stdout);
}

} // namespace velmo_perf
