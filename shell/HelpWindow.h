// The program's own help: pages compiled into the executable, shown in a window of the
// main window's. UI thread only.
#pragma once

#include <QUrl>
#include <QWidget>
#include <optional>
#include <span>
#include <string_view>

class QTextBrowser;
class QToolButton;

namespace lullwood {

struct HelpTopic {
  int context;
  std::string_view title;
  std::string_view page;  // resource path of the page
};

// Every topic the program can open; context 3 is "Using Lullwood".
std::span<const HelpTopic> HelpTopics();
const HelpTopic* FindHelpTopic(int context);

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // A window of its own, owned by `owner`, so a modal owner does not block it.
  explicit HelpWindow(QWidget* owner);

  // Shows `page`; false, leaving the window as it was, when the page does not exist.
  bool ShowPage(const QUrl& page);

  QTextBrowser& browser() { return *browser_; }

 private:
  QTextBrowser* browser_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
};

// Opens the topic in the owner's help window (made on first use, reused after) and
// brings it to the front. False when the topic or its page is missing: then nothing is
// shown, and the caller reports "Failed to launch help.".
bool OpenHelpTopic(QWidget* owner, int context);

// As OpenHelpTopic, for a page by its resource path.
bool OpenHelpPage(QWidget* owner, const QUrl& page);

}  // namespace lullwood
