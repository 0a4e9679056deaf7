// One instance per user session: the program's name on the session bus decides which
// process runs; a later one hands its command line to it and ends. Without a session
// bus, or when the bus or the running instance does not answer within a second, the
// program simply runs on its own. UI thread only.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <optional>

namespace lullwood {

// The session bus, or nothing when there is none.
std::optional<QDBusConnection> ConnectToSessionBus();

enum class NameClaim {
  kOwned,    // this process owns the name
  kTaken,    // another process owns it (with `queue`, this one is next in line)
  kUnknown,  // the bus did not answer in time, or refused
};

// Asks for the MPRIS name. With `queue`, a taken name passes to this process when its
// owner goes away.
NameClaim ClaimBusName(QDBusConnection& bus, bool queue);

enum class HandOver {
  kDone,      // the running instance shows its window and loads the file, if one was named
  kRefused,   // it shows its window but cannot read the file, and keeps its soundscape
  kNoAnswer,  // it did not answer in time
};

// Shows the running instance's window and, when `commandLine` is not empty, has it load
// that Scenario (a relative name taken against the current folder first). When refused,
// `why` says what is wrong with the file.
HandOver HandOverToRunningInstance(QDBusConnection& bus, const QString& commandLine, QString& why);

}  // namespace lullwood
