#include "bench/stdoutAside.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace velmo_perf {

namespace {

const std::string& ScratchFile()
{
    static const std::string path = [] {
        char directory[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, directory);
        return std::string(directory) + "velmo-bench-stdout.txt";
    }();
    return path;
}

} // namespace

StdoutAside::StdoutAside(To to) : m_toFile(to == To::File)
{
    std::fflush(stdout);
    m_saved = _dup(1);
    if (to == To::Nowhere) {
        _close(1);
        return;
    }
    const int target = to == To::Nul ? _open("NUL", _O_WRONLY)
                                     : _open(ScratchFile().c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC,
                                             _S_IREAD | _S_IWRITE);
    if (target >= 0) {
        _dup2(target, 1);
        _close(target);
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
    if (m_toFile)
        DeleteFileA(ScratchFile().c_str());
}

} // namespace velmo_perf
