// A measurement aid: with LULLWOOD_REPORT_FIRST_PAINT=1 the first paint of the main window
// prints, on standard error, how long after the process started it came.
#pragma once

namespace lullwood {

// Prints the report once, on the first call; later calls do nothing. UI thread only.
void ReportFirstPaint();

}  // namespace lullwood
