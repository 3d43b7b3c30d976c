// The command line of korvapub.
#pragma once

#include "tools/korvapub/statusSection.h"

#include <cstdint>

enum class Command
{
    Help,
    Serve,
    Set,
    Get,
    Stop,
};

struct Request
{
    Command command = Command::Help;
    std::uint32_t size = 512; // serve --size: what the applet maps
    StatusRecord record;      // serve --status; set and its options
};

// Fills `request`; on a mistake prints one line on standard error and returns false.
bool ParseArguments(int argc, wchar_t** argv, Request& request);

void PrintUsage();
