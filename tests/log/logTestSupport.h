// Helpers of the trace-log tests: the child process that decides the trace
// switch on its own, and readers of what it printed and logged.
#pragma once

#include "support/testSupport.h"

#include <windows.h>

#include <string>
#include <vector>

namespace log_test {

using velmo_test::EntriesOf;
using velmo_test::EntryOf;
using velmo_test::Lines;

// What the log prints on standard output about itself.
inline constexpr const char* kNotEnabledLine = "velmolog: logging not enabled in the registry";
inline constexpr const char* kReadFlagErrorLine =
    "velmolog: error encountered while attempting to read logging enabled flag from registry";
inline constexpr const char* kOpenKeyErrorLine =
    "velmolog: error encountered while attempting open Brenlow registry key";
inline constexpr const char* kCannotOpenFileLine = "velmolog: couldn't open velmo log file";

// Child side: runs one case (see logChild.cpp) in this fresh process.
int RunChildCase(const std::string& caseName, const std::string& tag);

// Parent side: a tag no other run uses, so a child's records can be told
// apart in the shared log.
std::string NewTag();

// Runs this executable as a child for `caseName` and collects its standard
// output lines and the log records that carry `tag`.
struct ChildRun
{
    int exitCode = -1;
    std::vector<std::string> output;
    std::vector<std::string> records;  // whole lines, without the line end
};
ChildRun RunChild(const char* caseName, const std::string& tag);

// The lines of `text` that contain `tag`, each with its line end: other
// processes of the prefix may write to the log at the same time.
std::string LinesWith(const std::string& text, const std::string& tag);

// Named events the "shared" child and its parent meet at.
std::wstring HeldEventName(const std::string& tag);
std::wstring ReleaseEventName(const std::string& tag);

// The whole content of a file, or empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

} // namespace log_test
