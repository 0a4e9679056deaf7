// Whether the session bus answers at all, asked without Qt: Qt's own connection waits for
// the bus's greeting without a time limit, so a bus daemon that accepts connections but
// never answers (stopped, or stuck) would hold up the program's start for good.
#pragma once

#include <string_view>

namespace lullwood {

// Connects to the first unix-socket address of `address` (the DBUS_SESSION_BUS_ADDRESS
// form, "unix:path=..." or "unix:abstract=...", several separated by ";") and starts the
// bus's authentication; true when the bus answers within `timeoutMs`. An address of a
// kind this cannot ask (tcp, launchd...) counts as answering, leaving it to Qt. False for
// an empty address. Blocks for at most about `timeoutMs`.
bool SessionBusAnswers(std::string_view address, int timeoutMs);

}  // namespace lullwood
