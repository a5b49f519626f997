#include "bench/report.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

namespace bench {

Stat stat_of(std::vector<double> v) {
  if (v.empty()) return {};
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return {n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.front(), v.back()};
}

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string cell(const Stat& s, int decimals) {
  return fixed(s.median, decimals) + " (" + fixed(s.min, decimals) + "–" +
         fixed(s.max, decimals) + ")";
}

std::string ratio(double a, double b) {
  if (b == 0) return a == 0 ? "–" : "∞";
  return fixed(a / b, 2);
}

std::string first_line(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string machine() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line, model = "unknown CPU";
  while (std::getline(cpuinfo, line))
    if (line.starts_with("model name")) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  utsname u{};
  uname(&u);
  return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores, Linux " +
         u.release;
}

std::string today() {
  const std::time_t t = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", std::gmtime(&t));
  return text;
}

std::string loadavg() {
  std::istringstream in(first_line("/proc/loadavg"));
  std::string one;
  in >> one;
  return one;
}

}  // namespace bench
