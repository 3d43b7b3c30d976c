#include "bench/report.h"

#include <io.h>

#include <cstdarg>
#include <cstdio>

namespace velmo_perf {

namespace {

std::FILE* g_report = nullptr;

} // namespace

bool OpenReport()
{
    std::fflush(stdout);
    const int copy = _dup(1);
    g_report = copy >= 0 ? _fdopen(copy, "w") : nullptr;
    return g_report != nullptr;
}

void Print(const char* format, ...)
{
    std::FILE* out = g_report ? g_report : stdout;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(out, format, arguments);
    va_end(arguments);
    std::fflush(out);
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Mebibytes(double bytes)
{
    return Fixed(bytes / (1024.0 * 1024.0), 2) + " MiB";
}

void Value(const std::string& name, const std::string& value)
{
    Print("<!-- value %s=%s -->\n", name.c_str(), value.c_str());
}

void Heading(const std::string& text)
{
    Print("\n### %s\n\n", text.c_str());
}

void Paragraph(const std::string& text)
{
    Print("%s\n\n", text.c_str());
}

void TimingTableHead()
{
    Print("| what | n | median µs | p10 µs | p90 µs | MAD µs | median / floor |\n");
    Print("|---|---:|---:|---:|---:|---:|---:|\n");
}

void TimingRow(const std::string& what, const Summary& summary, double reference)
{
    Print("| %s | %zu | %s | %s | %s | %s | %s |\n", what.c_str(), summary.count,
          Fixed(summary.median, 2).c_str(), Fixed(summary.p10, 2).c_str(),
          Fixed(summary.p90, 2).c_str(), Fixed(summary.mad, 2).c_str(),
          reference > 0 ? Fixed(summary.median / reference, 3).c_str() : "");
}

} // namespace velmo_perf
