// The main window as the soundscape's Panel: the bound values, message boxes, the title,
// the sliders and bars, and the look of Mute and Play.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include "MainDialog.h"
#include "QtText.h"
#include "SoundCatalogue.h"
#include "TrayIcon.h"
#include "WindowVisibility.h"

namespace lullwood {
namespace {

// Restores the exchange flag on every way out.
class ExchangeScope {
 public:
  explicit ExchangeScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~ExchangeScope() { flag_ = previous_; }
  ExchangeScope(const ExchangeScope&) = delete;
  ExchangeScope& operator=(const ExchangeScope&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

}  // namespace

void CMainDialog::ExchangeControlData(ExchangeDirection direction) {
  ExchangeScope scope(exchanging_);
  const auto bind = [direction](QCheckBox* box, int& member) {
    if (direction == ExchangeDirection::kToControls) {
      box->setChecked(member == 1);
    } else {
      member = box->isChecked() ? 1 : 0;
    }
  };
  for (int i = 0; i < kBackgroundCount; ++i) bind(m_backgroundBox[i], values_.m_backgroundOn[i]);
  bind(m_enableBox, values_.m_autoStart);
  if (direction == ExchangeDirection::kToControls) {
    m_scenarioFileEdit->setText(QString::fromStdString(values_.m_scenarioFile));
  } else {
    values_.m_scenarioFile = m_scenarioFileEdit->text().toStdString();
  }
  bind(m_boostBox, values_.m_boostPriority);
  bind(m_autoHideBox, values_.m_autoHide);
  bind(m_dynamicRandomBox, values_.m_dynamicRandom);
}

MessageAnswer CMainDialog::ShowMessage(std::string_view text, MessageButtons buttons) {
  const bool yesNo = buttons == MessageButtons::kYesNo;
  QMessageBox box(QMessageBox::Warning, ToQString(kMessageCaption), UiText(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
  const int answer = box.exec();
  if (!yesNo) return MessageAnswer::kOk;
  return answer == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

void CMainDialog::SetTitle(std::string_view title) {
  setWindowTitle(UiText(title));
}

int CMainDialog::SliderPosition(int effectIndex) {
  const RandomEffect* e = SoundCatalogue::Effect(effectIndex);
  return e ? m_effectSlider[effectIndex]->sliderPosition() : 0;
}

void CMainDialog::SetSliderPosition(int effectIndex, int position) {
  if (SoundCatalogue::Effect(effectIndex) == nullptr) return;
  m_effectSlider[effectIndex]->setValue(position);
}

void CMainDialog::SetBackgroundVolumeBar(int position) {
  m_backgroundVolumeBar->setValue(position);
}

void CMainDialog::SetRandomVolumeBar(int position) {
  m_randomVolumeBar->setValue(position);
}

void CMainDialog::EnableSoundControls(bool enabled) {
  for (QSlider* slider : m_effectSlider) {
    if (slider) slider->setEnabled(enabled);
  }
  for (QCheckBox* box : m_backgroundBox) box->setEnabled(enabled);
  for (QLabel* label : m_effectLabel) {
    if (label) label->setEnabled(enabled);
  }
}

void CMainDialog::ShowPlayState(bool playing) {
  playing_ = playing;
  RestorePlayLook();
}

void CMainDialog::RestorePlayLook() {
  m_playButton->setChecked(playing_);
  m_muteButton->setChecked(!playing_);
}

void CMainDialog::HideWindow() {
  HideMainWindow(*this, HasStatusArea());
}

bool CMainDialog::HasStatusArea() const {
  return trayIcon_ ? trayIcon_->StatusAreaPresent() : StatusAreaAvailable();
}

void CMainDialog::FocusMainWindow() {
  if (isVisible()) activateWindow();
}

}  // namespace lullwood
