// Asks the login manager on the system bus to suspend the computer, without asking the
// user (not interactive). UI thread only.
#pragma once

namespace lullwood {

// Sends org.freedesktop.login1.Manager.Suspend(false) and returns at once. Nothing is
// shown when the bus or the call fails (this runs at night): the reason goes to
// standard error when it is known.
void RequestSuspend();

}  // namespace lullwood
