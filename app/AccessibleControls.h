// What a screen reader is told of the main window's sliders and volume bars, through Qt's
// accessibility bridge (AT-SPI on Linux): each effect slider is named by its effect's
// label and reads its position as the level's name, each volume bar is named by what it
// sets and reads its position as "Step 7 of 10". The captions on screen stay as they are.
#pragma once

#include <QString>

class QAbstractSlider;

namespace lullwood {

// The name of a slider position ("Never" .. "Frequently"); empty outside the range.
QString LevelName(int position);
// "Step 7 of 10" for a volume bar at `step` of `steps`.
QString VolumeStepText(int step, int steps);

// The words a control's value is read as.
enum class ValueWords { kLevel, kVolumeStep };

// Lets the controls described below be read in words. Before any of them is created.
void InstallAccessibleControls();

// Names `control` for assistive technology and has its value read as `words`. Setting the
// value through the bridge moves the control as a drag of its thumb would.
void DescribeForAssistiveTechnology(QAbstractSlider* control, const QString& name,
                                    ValueWords words);

}  // namespace lullwood
