// The user-interface thread's priority on Linux, for Boost CPU Priority. UI thread only.
#pragma once

#include "Ports.h"

namespace lullwood {

// Linux: nice -10 on the calling thread when the system allows it (the setting is kept
// either way); back to nice 0 only from a raised priority, never lower than normal.
class NicePriority : public PriorityControl {
 public:
  void RaiseToHigh() override;
  void LowerToNormal() override;
};

}  // namespace lullwood
