#include "Resampler.h"

#include <algorithm>
#include <cmath>

namespace lullwood {
namespace {

// The zeroth-order modified Bessel function of the first kind, by its power series.
double BesselI0(double x) {
  double sum = 1.0, term = 1.0;
  const double q = x * x / 4.0;
  for (int k = 1; k < 200 && term > 1e-17 * sum; ++k) {
    term *= q / (double(k) * k);
    sum += term;
  }
  return sum;
}

}  // namespace

KernelTable::KernelTable(double cutoff, double transition, double attenuationDb, uint32_t phases,
                         uint32_t multiple)
    : phases_(std::max<uint32_t>(phases, 1)) {
  // Kaiser's estimates of the window's shape and the length it needs.
  const double a = std::max(attenuationDb, 21.0);
  const double beta =
      a > 50 ? 0.1102 * (a - 8.7) : 0.5842 * std::pow(a - 21, 0.4) + 0.07886 * (a - 21);
  const double length = (a - 8.0) / (2.285 * 2.0 * M_PI * transition) + 1.0;
  const uint32_t m = multiple == 4 ? 4 : 8;
  taps_ = std::max<uint32_t>(8, (static_cast<uint32_t>(std::ceil(length)) + m - 1) / m * m);
  const double half = taps_ / 2.0;
  const double i0Beta = BesselI0(beta);
  auto kernel = [&](double d) {
    if (std::abs(d) >= half) return 0.0;
    const double x = 2.0 * cutoff * d;
    const double sinc = x == 0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
    const double r = d / half;
    return 2.0 * cutoff * sinc * BesselI0(beta * std::sqrt(1.0 - r * r)) / i0Beta;
  };

  rows_.resize(size_t{phases_ + 1} * taps_);
  std::vector<double> row(taps_);
  for (uint32_t p = 0; p <= phases_; ++p) {
    const double delay = double(p) / phases_;
    double sum = 0;
    for (uint32_t k = 0; k < taps_; ++k) {
      row[k] = kernel(double(k) - (half - 1.0) - delay);
      sum += row[k];
    }
    for (uint32_t k = 0; k < taps_; ++k)
      rows_[size_t{p} * taps_ + k] = static_cast<float>(row[k] / sum);
  }
  // A cutoff at half the input rate puts the sinc's zeros on whole frames: row 0 is then
  // 1 at its centre and, but for rounding, 0 elsewhere.
  // Row `phases` (delay 1) is the same one frame on.
  const auto isTap = [&](float* row, uint32_t centre) {
    for (uint32_t k = 0; k < taps_; ++k) {
      if (std::abs(row[k] - (k == centre ? 1.0f : 0.0f)) >= 1e-6f) return false;
    }
    return true;
  };
  float* first = rows_.data();
  float* last = rows_.data() + size_t{phases_} * taps_;
  wholeFrameIsTap_ = isTap(first, before()) && isTap(last, before() + 1);
  if (wholeFrameIsTap_) {
    std::fill_n(first, taps_, 0.0f);
    first[before()] = 1.0f;
    std::fill_n(last, taps_, 0.0f);
    last[before() + 1] = 1.0f;
  }
  dense_.resize(size_t{taps_} * phases_ + 1);
  for (size_t j = 0; j < dense_.size(); ++j) {
    dense_[j] = static_cast<float>(kernel(double(j) / phases_ - half));
  }
}

float KernelTable::At(double t) const {
  const double x = (t + taps_ / 2.0) * phases_;
  if (x <= 0 || x >= double(dense_.size() - 1)) return 0.0f;
  const size_t j = static_cast<size_t>(x);
  const float f = static_cast<float>(x - double(j));
  return dense_[j] + f * (dense_[j + 1] - dense_[j]);
}

}  // namespace lullwood
