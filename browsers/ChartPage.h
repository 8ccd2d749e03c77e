// The copyright date chart for a given year: the page "chart.html" carried
// in the program is a pattern whose dates ("{{NAME}}") are worked out by the
// status rules for that year, so the chart and the Status Check move on
// together each 1 January and always agree.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace browsers {

// The dates the chart names for `year`, as (name, text) pairs.
std::vector<std::pair<std::string, std::string>> ChartDates(int year);

// `pattern` with every "{{NAME}}" replaced by the date of that name for
// `year`; an unknown name is left as it is.
std::string FillChart(const std::string& pattern, int year);

// The chart for `year` from the pattern carried in this program; empty when
// the program carries none.
std::string ChartPage(int year);

} // namespace browsers
