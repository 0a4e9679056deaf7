// One main window on the shared fakes for a test: the process's state, the offline
// output (watched), settings in memory and a folder of its own for files. Make() builds
// the dialog, Start() also runs its start-up, Show() puts it on screen. After the test
// the dialog is closed down, as Exit does, and destroyed before its fakes.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <fstream>
#include <memory>
#include <string>

#include "DialogFakes.h"
#include "TempFolder.h"

namespace lullwood::testing {

template <typename Dialog = WatchedDialog>
class DialogFixture : public TempFolderTest {
 protected:
  void TearDown() override {
    if (dialog) {
      dialog->CloseDown();
      dialog.reset();
    }
    TempFolderTest::TearDown();
  }

  // Builds the dialog on the offline output, or on `through` where a test puts a
  // factory of its own in front of it.
  Dialog& Make(AudioOutputFactory& through) {
    dialog = std::make_unique<Dialog>(state, through, settings);
    return *dialog;
  }
  Dialog& Make() { return Make(outputs); }
  // Builds the dialog unless the test has, and runs the start-up.
  void Start() {
    if (!dialog) Make();
    ASSERT_TRUE(dialog->InitializeWindow());
  }
  // Builds the dialog unless the test has, shows it and waits until it is on screen.
  void Show() {
    if (!dialog) Make();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }

  // Brings the scheduler's next tick forward, instead of waiting up to a second for it,
  // and waits until it has run. False when no tick came.
  bool NextTick() {
    const double before = state.scheduler.tickCount;
    dialog->schedulerTimer().Start(0);
    return QTest::qWaitFor([&] { return state.scheduler.tickCount != before; }, 5000);
  }

  // The control with this id, as a T.
  template <typename T = QWidget>
  T* Get(int id) {
    T* widget = qobject_cast<T*>(dialog->Control(id));
    EXPECT_NE(widget, nullptr) << "control " << id;
    return widget;
  }

  // Writes `body` as it is to a file of this name in the test's folder; returns its path.
  std::string WriteFile(const std::string& name, const std::string& body) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << body;
    return path.string();
  }

  ProcessState state;
  WatchedOutputs outputs;
  FakeSettings settings;
  std::unique_ptr<Dialog> dialog;
};

}  // namespace lullwood::testing
