// lullwood-monitor-check: reads interleaved float stereo (a sink's monitor, recorded
// raw) from standard input and prints, every PERIOD seconds of it and at the end, the
// gaps and steps found (see MonitorCheck.h).
//
//   lullwood-monitor-check RATE PERIOD_SECONDS STEP_LIMIT
//
// With STEP_LIMIT 0 it only reports the largest second difference, to learn the limit
// from a recording of the mix itself.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "MonitorCheck.h"

namespace {

void Print(const char* what, const lullwood::MonitorFigures& f, int rate) {
  std::printf("%s: %.0f s, gaps %llu, steps %llu, largest second difference %.4f, silent %.1f s\n",
              what, double(f.frames) / rate, static_cast<unsigned long long>(f.gaps),
              static_cast<unsigned long long>(f.steps), f.largestBend,
              double(f.silentFrames) / rate);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: lullwood-monitor-check RATE PERIOD_SECONDS STEP_LIMIT\n");
    return 2;
  }
  const int rate = std::atoi(argv[1]);
  const long period = std::atol(argv[2]);
  const float limit = static_cast<float>(std::atof(argv[3]));
  if (rate <= 0 || period <= 0 || limit < 0) {
    std::fprintf(stderr, "lullwood-monitor-check: RATE and PERIOD_SECONDS must be positive\n");
    return 2;
  }
  lullwood::MonitorCheck check(limit > 0 ? limit : 1e9f);
  std::vector<float> chunk(2 * 4800);
  uint64_t inPeriod = 0;
  int periods = 0;
  for (;;) {
    const size_t got = std::fread(chunk.data(), 2 * sizeof(float), chunk.size() / 2, stdin);
    if (got == 0) break;
    check.Add(chunk.data(), got);
    inPeriod += got;
    if (inPeriod >= static_cast<uint64_t>(period) * rate) {
      inPeriod = 0;
      const std::string name = "period " + std::to_string(++periods);
      Print(name.c_str(), check.TakePeriod(), rate);
    }
  }
  Print("whole recording", check.total(), rate);
  return 0;
}
