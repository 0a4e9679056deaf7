#include "BusProbe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace lullwood {
namespace {

using Clock = std::chrono::steady_clock;

// The value of `key` in one address's "kind:key=value,key=value" list, or empty.
std::string AddressValue(std::string_view entry, std::string_view key) {
  const size_t colon = entry.find(':');
  if (colon == std::string_view::npos) return {};
  std::string_view rest = entry.substr(colon + 1);
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view pair = rest.substr(0, comma);
    if (pair.substr(0, key.size()) == key && pair.size() > key.size() && pair[key.size()] == '=') {
      return std::string(pair.substr(key.size() + 1));
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return {};
}

// Milliseconds left until `deadline`, at least 0.
int Left(Clock::time_point deadline) {
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return ms > 0 ? static_cast<int>(ms) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int ready = poll(&p, 1, Left(deadline));
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0 && (p.revents & events) != 0;
  }
}

// Connects to a unix socket and sends the first line of the bus's authentication; true
// when any answer line comes back before the deadline.
bool Greets(const sockaddr_un& where, socklen_t length, Clock::time_point deadline) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool answered = false;
  int connected = connect(fd, reinterpret_cast<const sockaddr*>(&where), length);
  if (connected != 0 && (errno == EINPROGRESS || errno == EAGAIN) &&
      WaitFor(fd, POLLOUT, deadline)) {
    int error = 0;
    socklen_t size = sizeof error;
    connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0 ? 0 : -1;
  }
  if (connected == 0) {
    // A NUL byte, then AUTH EXTERNAL with the user id in hex of its decimal digits.
    const std::string uid = std::to_string(getuid());
    std::string hello(1, '\0');
    hello += "AUTH EXTERNAL ";
    for (const char c : uid) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
      hello += hex;
    }
    hello += "\r\n";
    const ssize_t sent = send(fd, hello.data(), hello.size(), MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(hello.size()) && WaitFor(fd, POLLIN, deadline)) {
      char reply[64];
      answered = recv(fd, reply, sizeof reply, 0) > 0;
    }
  }
  close(fd);
  return answered;
}

}  // namespace

bool SessionBusAnswers(std::string_view address, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!address.empty()) {
    const size_t semicolon = address.find(';');
    const std::string_view entry = address.substr(0, semicolon);
    address =
        semicolon == std::string_view::npos ? std::string_view() : address.substr(semicolon + 1);
    if (!entry.starts_with("unix:")) {
      if (!entry.empty()) return true;  // not a kind asked here: Qt decides
      continue;
    }
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    const std::string path = AddressValue(entry, "path");
    const std::string abstract = AddressValue(entry, "abstract");
    const std::string& name = path.empty() ? abstract : path;
    if (name.empty() || name.size() >= sizeof where.sun_path - 1) continue;
    // An abstract name starts with a NUL byte and is not NUL-terminated.
    const size_t start = path.empty() ? 1 : 0;
    std::memcpy(where.sun_path + start, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + start +
                                               name.size() + (start ? 0 : 1));
    if (Greets(where, length, deadline)) return true;
    if (Left(deadline) == 0) return false;
  }
  return false;
}

}  // namespace lullwood
