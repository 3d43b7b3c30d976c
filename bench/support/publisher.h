// korvapub in the companion service's place: `serve` for the object's life,
// `set` to change the record.
#pragma once

#include "bench/support/childProcess.h"

#include <string>

namespace velmo_perf {

class Publisher
{
public:
    // `korvapub serve <arguments>`; Ready() once Global\KorvaStatus exists.
    explicit Publisher(const std::wstring& arguments);
    ~Publisher() { Stop(); }
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    bool Ready() const { return m_ready; }
    // Ends the server and waits until the section is gone; a poll of the
    // applet may hold it open for a moment.
    void Stop();

    // `korvapub set <arguments>`; true when it succeeded.
    static bool Set(const std::wstring& arguments);

private:
    ChildProcess m_server;
    bool m_ready = false;
};

} // namespace velmo_perf
