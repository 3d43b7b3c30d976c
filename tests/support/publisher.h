// Global\KorvaStatus in the companion service's place: made in this process
// with the stand-in publisher's own code, or served by korvapub.exe.
#pragma once

#include "support/childProcess.h"
#include "tools/korvapub/statusSection.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace velmo_test {

// The section, made and written by the test itself.
class TestSection
{
public:
    explicit TestSection(DWORD size = 512);

    bool Valid() const { return m_valid; }
    void Write(std::uint32_t header, std::uint32_t length, std::uint32_t status);
    void WriteStatus(std::uint32_t status) { Write(0, 4, status); }
    std::uint8_t* Bytes() const { return m_section.Bytes(); }

private:
    StatusSection m_section;
    bool m_valid = false;
};

// True while anyone holds the section open.
bool SectionExists();
// The value in its status record, or nothing when the section is absent or
// its record holds no status.
std::optional<DWORD> PublishedStatus();

// The definite states korvapub publishes by name.
enum class Korva : DWORD { kDisabled = 0, kEnabled = 1 };

// `korvapub serve` for the object's life, its standard input a pipe held
// here: it ends when that closes.
class Publisher
{
public:
    // Ready() once the record shows `status`; `sectionSize` is passed as
    // `--size` when it is not the usual 512.
    explicit Publisher(Korva status, DWORD sectionSize = 512);
    // `serve <arguments>`: Ready() once the section exists.
    explicit Publisher(const std::wstring& arguments);
    ~Publisher() { Stop(); }
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    bool Ready() const { return m_ready; }
    // Ends the server and waits until the section is gone; a poll of the
    // applet may hold it open for a moment, and the next test must not find it.
    void Stop();

    // `korvapub set`; true when it succeeded and, by state, the record shows it.
    static bool Set(Korva status);
    static bool Set(const std::wstring& arguments);

private:
    ChildProcess m_server;
    bool m_ready = false;
};

} // namespace velmo_test
