#include "host/resample.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace zol {
namespace {

// A pixel's three channels apart in one word, 21 bits each (blue at 0,
// green at 21, red at 42), so that one multiply weighs all three. A sum of
// weights up to kMostWeight keeps every channel's sum inside its lane.
constexpr int kLane = 21;
constexpr uint64_t kLaneMask = (uint64_t{1} << kLane) - 1;
constexpr uint64_t kMostWeight = kLaneMask / 255;

inline uint64_t spread(uint32_t p) {
  return (p & 0xFF) | uint64_t{p & 0xFF00} << (kLane - 8) | uint64_t{p & 0xFF0000} << (2 * kLane - 16);
}

// One axis: device pixel d covers source [d * S / D, (d + 1) * S / D); in
// units of 1/D source pixel that is [d * S, (d + 1) * S), and source pixel i
// covers [i * D, (i + 1) * D). Their overlaps are whole numbers summing to S.
// Every device pixel gets `taps` weights, zero past the pixels it covers, so
// the loops over them have one length.
struct Axis {
  std::vector<int> first;          // per device pixel of the part: its first source pixel
  std::vector<uint32_t> weights;   // `taps` per device pixel
  uint32_t total = 1;
  int taps = 1;
  int source_begin = 0, source_end = 0;  // the source pixels the part reads

  Axis(int source, int device, int part_begin, int part_end) {
    const int common = std::gcd(source, device);
    const int64_t s = source / common, d = device / common;
    total = static_cast<uint32_t>(s);
    // The most source pixels a device pixel of the part covers; the
    // pattern repeats every d device pixels.
    for (int64_t p = part_begin; p < std::min<int64_t>(part_begin + d, part_end); ++p)
      taps = std::max(taps, static_cast<int>(((p + 1) * s + d - 1) / d - p * s / d));
    for (int p = part_begin; p < part_end; ++p) {
      const int64_t lo = p * s, hi = (p + 1) * s;
      const int i0 = static_cast<int>(lo / d), i1 = static_cast<int>((hi + d - 1) / d);
      first.push_back(i0);
      for (int i = i0; i < i0 + taps; ++i)
        weights.push_back(i < i1 ? static_cast<uint32_t>(std::min(hi, (i + 1) * d) -
                                                        std::max(lo, i * d))
                                 : 0);
      source_end = std::max(source_end, i1);
    }
    source_begin = first.empty() ? 0 : first.front();
    source_end = std::max(source_end, source_begin);
  }
  int count(int p) const {
    int n = taps;
    while (n > 0 && weights[static_cast<size_t>(p) * taps + n - 1] == 0) --n;
    return n;
  }
};

// One source row (spread, from ax.source_begin) averaged along x; the
// usual tap counts get loops of a length the compiler knows.
template <int kTaps>
void sum_row_of(const Axis& ax, const uint64_t* row, uint64_t* sums) {
  const int taps = kTaps ? kTaps : ax.taps;
  const uint32_t* w = ax.weights.data();
  for (size_t p = 0; p < ax.first.size(); ++p, w += taps) {
    const uint64_t* in = row + (ax.first[p] - ax.source_begin);
    uint64_t sum = 0;
    for (int i = 0; i < taps; ++i) sum += in[i] * w[i];
    sums[p] = sum;
  }
}

void sum_row(const Axis& ax, const uint64_t* row, uint64_t* sums) {
  switch (ax.taps) {
    case 2:
      return sum_row_of<2>(ax, row, sums);
    case 3:
      return sum_row_of<3>(ax, row, sums);
    default:
      return sum_row_of<0>(ax, row, sums);
  }
}

// Rounded division by a constant as a multiplication: with m = ceil(2^55 / d)
// and n < 256 d, (n m) >> 55 is floor(n / d) exactly for every d < 2^23, and
// n m stays below 2^63. A division per channel would take most of the time.
class Divider {
 public:
  static constexpr int kShift = 55;
  explicit Divider(uint64_t d) : half_(d / 2), m_(((uint64_t{1} << kShift) + d - 1) / d) {}
  uint32_t rounded(uint64_t n) const { return static_cast<uint32_t>((n + half_) * m_ >> kShift); }

 private:
  uint64_t half_, m_;
};

}  // namespace

void area_average(const RowReader& source_rows, ArtSize source, DeviceSize whole, DeviceRect part,
                  const RowWriter& out) {
  const Axis ax(source.w, whole.w, part.x, part.x + part.w);
  const Axis ay(source.h, whole.h, part.y, part.y + part.h);
  if (uint64_t{ax.total} * ay.total > kMostWeight)
    throw std::logic_error("area_average: pictures too large");
  const size_t width = static_cast<size_t>(part.w);

  // Each source row is read and summed along x once, kept while device rows
  // still cover it: at most ay.taps rows at a time. The row has room for the
  // zero-weighted taps past its end.
  const int slots = ay.taps;
  const size_t read = static_cast<size_t>(ax.source_end - ax.source_begin);
  std::vector<uint32_t> raw(read);
  std::vector<uint64_t> row(read + static_cast<size_t>(ax.taps), 0);
  std::vector<uint64_t> sums(static_cast<size_t>(slots) * width);
  std::vector<int> held(static_cast<size_t>(slots), -1);
  std::vector<uint64_t> acc(width);
  std::vector<uint32_t> line(width);
  const Divider divide(uint64_t{ax.total} * ay.total);

  for (int py = 0; py < part.h; ++py) {
    std::fill(acc.begin(), acc.end(), 0);
    const uint32_t* wy = &ay.weights[static_cast<size_t>(py) * ay.taps];
    for (int k = 0; k < ay.count(py); ++k) {
      const int sy = ay.first[py] + k, slot = sy % slots;
      uint64_t* s = &sums[static_cast<size_t>(slot) * width];
      if (held[slot] != sy) {
        source_rows(ax.source_begin, sy, static_cast<int>(read), raw.data());
        for (size_t i = 0; i < read; ++i) row[i] = spread(raw[i]);
        sum_row(ax, row.data(), s);
        held[slot] = sy;
      }
      const uint64_t w = wy[k];
      for (size_t x = 0; x < width; ++x) acc[x] += s[x] * w;
    }
    for (size_t x = 0; x < width; ++x) {
      const uint64_t a = acc[x];
      line[x] = divide.rounded(a >> 2 * kLane) << 16 | divide.rounded(a >> kLane & kLaneMask) << 8 |
                divide.rounded(a & kLaneMask);
    }
    out(line.data());
  }
}

Image area_average(const RowReader& source_rows, ArtSize source, DeviceSize whole,
                   DeviceRect part) {
  Image out{part.w, part.h, {}};
  out.pixels.reserve(static_cast<size_t>(part.w) * part.h);
  area_average(source_rows, source, whole, part, [&](const uint32_t* row) {
    out.pixels.insert(out.pixels.end(), row, row + part.w);
  });
  return out;
}

}  // namespace zol
