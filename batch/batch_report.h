#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "batch/batch_run.h"
#include "batch/ratio_statistics.h"

namespace korvale {

// One figure of the report: a count, or a rate with its 95% interval. The key names it in CSV
// and JSON, the label in the table (worded as the window words it).
struct Figure {
    std::string key;
    std::string label;
    bool isCount = false;
    std::int64_t count = 0;
    std::optional<double> rate;  // none when it is not defined yet (no BIG, say)
    Interval interval;
    bool windowHashDot00 = false;  // the window writes it "#.00" rather than "#0.00"
};

// The figures the window shows for the run kind of `result`.
std::vector<Figure> reportFigures(const BatchResult& result);

// Everything but the time taken: the run's description (seed included) and its figures. For
// the same plan it is the same text.
std::string formatReport(const BatchResult& result, OutputFormat format);

// The time taken and the games per second: always the last two lines of the output.
std::string formatTiming(const BatchResult& result, OutputFormat format);

}  // namespace korvale
