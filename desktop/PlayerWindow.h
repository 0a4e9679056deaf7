// What the desktop's media controls and a second instance ask of the main window: the
// handlers its buttons, its status-area icon and a drop already call. The window
// implements it; the desktop-bus code below the window knows only this. UI thread only.
#pragma once

#include <string>

namespace lullwood {

class Soundscape;

class PlayerWindow {
 public:
  virtual ~PlayerWindow() = default;
  // As the Play and Mute buttons.
  virtual void PressPlay() = 0;
  virtual void PressMute() = 0;
  // As Exit: the run ends through its shutdown.
  virtual void PressExit() = 0;
  // As a click on the status-area icon: shown and brought to the front.
  virtual void ShowFromTray() = 0;
  // As a file dropped on the window.
  virtual void LoadDropped(const std::string& path) = 0;
  // The rules behind the window, for what they say has changed.
  virtual Soundscape& soundscape() = 0;
};

}  // namespace lullwood
