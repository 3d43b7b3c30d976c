// The bench writes its report as Markdown to the standard output it was
// started with. Descriptor 1 itself belongs to the applet code running in
// this process, whose trace call prints there, and is pointed elsewhere.
#pragma once

#include "bench/stats.h"

#include <string>

namespace velmo_perf {

// Keeps a copy of the standard output for the report; call first.
bool OpenReport();
void Print(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));

// A figure the summary of PERFORMANCE.md quotes, as a hidden Markdown line
// that run-bench.sh puts in place of {{name}}.
void Value(const std::string& name, const std::string& value);

void Heading(const std::string& text);
void Paragraph(const std::string& text);

// A table of timings in microseconds; `reference` (the floor) gives the
// ratio column, 0 leaves it out.
void TimingTableHead();
void TimingRow(const std::string& what, const Summary& summary, double reference = 0);

// "%.1f"-style text.
std::string Fixed(double value, int decimals = 1);
std::string Mebibytes(double bytes);

} // namespace velmo_perf
