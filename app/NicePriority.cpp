#include "NicePriority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace lullwood {
namespace {

constexpr int kHighNice = -10;

}  // namespace

void NicePriority::RaiseToHigh() {
  // Refused for an ordinary user: the setting is still stored and nothing else happens.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kHighNice);
}

void NicePriority::LowerToNormal() {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  if (errno == 0 && nice < 0) setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 0);
}

}  // namespace lullwood
