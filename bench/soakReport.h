// The soak's figures as the Markdown section of the performance report.
#pragma once

#include "support/soakFigures.h"

#include <string>

namespace velmo_perf {

std::string SoakMarkdown(const velmo_test::SoakFigures& figures);

} // namespace velmo_perf
