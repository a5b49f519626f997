#pragma once
// The benchmark's table: medians with their range, ratios, and where it ran.

#include <string>
#include <vector>

namespace bench {

struct Stat {
  double median = 0, min = 0, max = 0;
};

Stat stat_of(std::vector<double> values);
std::string fixed(double v, int decimals);
std::string cell(const Stat& s, int decimals);  // "median (min–max)"
std::string ratio(double a, double b);
std::string first_line(const std::string& file);
std::string machine();  // CPU model, cores, kernel
std::string today();
std::string loadavg();

}  // namespace bench
