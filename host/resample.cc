#include "host/resample.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace zol {
namespace {

// One axis: device pixel d covers source [d * S / D, (d + 1) * S / D); in
// units of 1/D source pixel that is [d * S, (d + 1) * S), and source pixel i
// covers [i * D, (i + 1) * D). Their overlaps are whole numbers summing to S.
struct Axis {
  std::vector<int> first;      // per device pixel of the part: its first source pixel
  std::vector<int> offset;     // where its weights start in `weights`
  std::vector<uint32_t> weights;
  uint32_t total = 1;
  int source_begin = 0, source_end = 0;  // the source pixels the part reads
  int widest = 0;                        // most source pixels any device pixel covers

  Axis(int source, int device, int part_begin, int part_end) {
    const int common = std::gcd(source, device);
    const int64_t s = source / common, d = device / common;
    total = static_cast<uint32_t>(s);
    for (int p = part_begin; p < part_end; ++p) {
      const int64_t lo = p * s, hi = (p + 1) * s;
      const int i0 = static_cast<int>(lo / d), i1 = static_cast<int>((hi + d - 1) / d);
      first.push_back(i0);
      offset.push_back(static_cast<int>(weights.size()));
      for (int i = i0; i < i1; ++i)
        weights.push_back(static_cast<uint32_t>(std::min(hi, (i + 1) * d) - std::max(lo, i * d)));
      widest = std::max(widest, i1 - i0);
    }
    source_begin = first.empty() ? 0 : first.front();
    source_end = first.empty() ? 0 : first.back() + count(static_cast<int>(first.size()) - 1);
  }
  int count(int p) const {
    const size_t end = p + 1 < static_cast<int>(offset.size()) ? offset[p + 1] : weights.size();
    return static_cast<int>(end) - offset[p];
  }
};

// One source row averaged along x: three weighted channel sums per device pixel.
void sum_row(const Axis& ax, const uint32_t* row, uint32_t* sums) {
  for (size_t p = 0; p < ax.first.size(); ++p) {
    const uint32_t* in = row + (ax.first[p] - ax.source_begin);
    const uint32_t* w = &ax.weights[ax.offset[p]];
    const int n = ax.count(static_cast<int>(p));
    uint32_t r = 0, g = 0, b = 0;
    for (int i = 0; i < n; ++i) {
      r += (in[i] >> 16 & 0xFF) * w[i];
      g += (in[i] >> 8 & 0xFF) * w[i];
      b += (in[i] & 0xFF) * w[i];
    }
    sums[3 * p] = r;
    sums[3 * p + 1] = g;
    sums[3 * p + 2] = b;
  }
}

// Rounded division by a constant as a multiplication: with m = ceil(2^55 / d)
// and n < 256 d, (n m) >> 55 is floor(n / d) exactly for every d < 2^23, and
// n m stays below 2^63. A division per channel would take most of the time.
class Divider {
 public:
  static constexpr int kShift = 55;
  explicit Divider(uint64_t d) : half_(d / 2), m_(((uint64_t{1} << kShift) + d - 1) / d) {
    if (d >= (uint64_t{1} << 23)) throw std::logic_error("area_average: pictures too large");
  }
  uint32_t rounded(uint32_t n) const { return static_cast<uint32_t>((n + half_) * m_ >> kShift); }

 private:
  uint64_t half_, m_;
};

}  // namespace

Image area_average(const RowReader& source_rows, ArtSize source, DeviceSize whole,
                   DeviceRect part) {
  const Axis ax(source.w, whole.w, part.x, part.x + part.w);
  const Axis ay(source.h, whole.h, part.y, part.y + part.h);
  Image out{part.w, part.h, {}};
  const size_t width = static_cast<size_t>(part.w);
  // Filled row by row, never zeroed first: at the window's size that would
  // cost as much again.
  out.pixels.reserve(width * part.h);
  std::vector<uint32_t> line(width);

  // Each source row is read and summed along x once, kept while device rows
  // still cover it: at most ay.widest rows at a time.
  const int slots = std::max(ay.widest, 1);
  std::vector<uint32_t> row(static_cast<size_t>(ax.source_end - ax.source_begin));
  std::vector<uint32_t> sums(static_cast<size_t>(slots) * 3 * width);
  std::vector<int> held(slots, -1);
  // 255 * total at most: fits, as total < 2^23.
  std::vector<uint32_t> acc(3 * width);
  const Divider divide(uint64_t{ax.total} * ay.total);

  for (int py = 0; py < part.h; ++py) {
    std::fill(acc.begin(), acc.end(), 0);
    const uint32_t* wy = &ay.weights[ay.offset[py]];
    for (int k = 0; k < ay.count(py); ++k) {
      const int sy = ay.first[py] + k, slot = sy % slots;
      uint32_t* s = &sums[static_cast<size_t>(slot) * 3 * width];
      if (held[slot] != sy) {
        source_rows(ax.source_begin, sy, static_cast<int>(row.size()), row.data());
        sum_row(ax, row.data(), s);
        held[slot] = sy;
      }
      for (size_t i = 0; i < 3 * width; ++i) acc[i] += s[i] * wy[k];
    }
    for (size_t x = 0; x < width; ++x)
      line[x] = divide.rounded(acc[3 * x]) << 16 | divide.rounded(acc[3 * x + 1]) << 8 |
                divide.rounded(acc[3 * x + 2]);
    out.pixels.insert(out.pixels.end(), line.begin(), line.end());
  }
  return out;
}

}  // namespace zol
