#include "tools/korvapub/arguments.h"

#include "tools/korvapub/report.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string_view>

namespace {

struct CommandName
{
    std::wstring_view name;
    Command command;
};

constexpr const wchar_t* kNotAStatus =
    L"'%ls' is not a status: enabled, disabled, unknown or a number";

constexpr CommandName kCommands[] = {
    {L"serve", Command::Serve},
    {L"set", Command::Set},
    {L"get", Command::Get},
    {L"stop", Command::Stop},
};

// Decimal, or hexadecimal after 0x; the whole word, within 32 bits.
std::optional<std::uint32_t> ParseNumber(std::wstring_view word)
{
    unsigned base = 10;
    if (word.size() > 2 && word[0] == L'0' && (word[1] == L'x' || word[1] == L'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    if (word.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const wchar_t c : word) {
        unsigned digit = base;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        if (digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> ParseStatus(std::wstring_view word)
{
    if (word == L"disabled")
        return 0;
    if (word == L"enabled")
        return 1;
    if (word == L"unknown")
        return 2;
    return ParseNumber(word);
}

bool Mistake(const wchar_t* format, const wchar_t* word = L"")
{
    Fail(kExitUsage, format, word);
    return false;
}

// The value that an option sets for this command, or null when the command has no such option.
std::uint32_t* OptionTarget(Request& request, std::wstring_view option)
{
    switch (request.command) {
    case Command::Serve:
        if (option == L"--size")
            return &request.size;
        if (option == L"--status")
            return &request.record.status;
        break;
    case Command::Set:
        if (option == L"--header")
            return &request.record.header;
        if (option == L"--length")
            return &request.record.length;
        break;
    default:
        break;
    }
    return nullptr;
}

} // namespace

bool ParseArguments(int argc, wchar_t** argv, Request& request)
{
    for (int i = 1; i < argc; ++i) {
        if (std::wstring_view(argv[i]) == L"--help" || std::wstring_view(argv[i]) == L"-h") {
            request.command = Command::Help;
            return true;
        }
    }
    if (argc < 2)
        return Mistake(L"no command given (try --help)");
    const auto named = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandName& c) { return c.name == argv[1]; });
    if (named == std::end(kCommands))
        return Mistake(L"unknown command '%ls' (try --help)", argv[1]);
    request.command = named->command;

    bool statusGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::wstring_view word = argv[i];
        if (word.starts_with(L"-")) {
            std::uint32_t* target = OptionTarget(request, word);
            if (!target)
                return Mistake(L"unknown option '%ls' (try --help)", argv[i]);
            if (i + 1 == argc)
                return Mistake(L"%ls needs a value", argv[i]);
            const bool isStatus = word == L"--status";
            const std::optional<std::uint32_t> value =
                isStatus ? ParseStatus(argv[i + 1]) : ParseNumber(argv[i + 1]);
            if (!value)
                return Mistake(isStatus ? kNotAStatus : L"'%ls' is not a 32-bit number",
                               argv[i + 1]);
            *target = *value;
            ++i;
        } else if (request.command == Command::Set && !statusGiven) {
            const std::optional<std::uint32_t> status = ParseStatus(word);
            if (!status)
                return Mistake(kNotAStatus, argv[i]);
            request.record.status = *status;
            statusGiven = true;
        } else {
            return Mistake(L"unexpected argument '%ls' (try --help)", argv[i]);
        }
    }
    if (request.command == Command::Set && !statusGiven)
        return Mistake(L"set needs a status: enabled, disabled, unknown or a number");
    if (request.command == Command::Serve && request.size < kRecordSize)
        return Mistake(L"--size must be at least 12 bytes, the size of the status record");
    return true;
}

void PrintUsage()
{
    std::fputws(
        L"usage: korvapub COMMAND [OPTIONS]\n"
        L"Stands in for the service that publishes the Korva status in Global\\KorvaStatus.\n"
        L"\n"
        L"  serve [--size BYTES] [--status S]  create the section and hold it until\n"
        L"                                     `korvapub stop`, Ctrl-C or, when standard\n"
        L"                                     input is a pipe, its closing\n"
        L"                                     (default: 512 bytes, status unknown)\n"
        L"  set S [--header N] [--length N]    write a record into the live section\n"
        L"                                     (default: header 0, length 4)\n"
        L"  get                                print the record\n"
        L"  stop                               stop the running server\n"
        L"\n"
        L"S is enabled, disabled, unknown or a number; numbers are decimal or 0x hex.\n"
        L"Exit codes: 0 done, 1 failed, 2 wrong arguments.\n",
        stdout);
}
