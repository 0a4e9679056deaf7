#include "FirstPaintReport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace lullwood {

// The start is the kernel's (/proc/self/stat, in clock ticks of 10 ms), so the figure errs
// long by under 10 ms.
void ReportFirstPaint() {
  static bool reported = false;
  if (reported) return;
  reported = true;
  const char* wanted = std::getenv("LULLWOOD_REPORT_FIRST_PAINT");
  if (wanted == nullptr || std::strcmp(wanted, "1") != 0) return;
  char stat[1024] = {};
  std::FILE* file = std::fopen("/proc/self/stat", "r");
  if (file == nullptr) return;
  const bool read = std::fgets(stat, sizeof stat, file) != nullptr;
  std::fclose(file);
  const char* afterName = read ? std::strrchr(stat, ')') : nullptr;
  unsigned long long startTicks = 0;  // field 22, counted from the state after the name
  if (afterName == nullptr ||
      std::sscanf(afterName + 1,
                  " %*c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s "
                  "%*s %*s %*s %*s %llu",
                  &startTicks) != 1) {
    return;
  }
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double elapsedMs =
      (now.tv_sec + now.tv_nsec / 1e9 - static_cast<double>(startTicks) / sysconf(_SC_CLK_TCK)) *
      1000.0;
  std::fprintf(stderr, "lullwood: first paint %.0f ms after process start\n", elapsedMs);
}

}  // namespace lullwood
