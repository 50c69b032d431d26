#pragma once
// What paired benchmarks share: each iteration times a run of the program's
// path and, right after it, the run it is judged against, and the median of
// the pairs' ratios is reported. On a machine that others share this is far
// steadier than the ratio of two benchmarks timed minutes apart.
#include <algorithm>
#include <chrono>
#include <vector>

inline double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
  return values[values.size() / 2];
}
