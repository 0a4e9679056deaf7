#include "HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLocale>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

#include "QtText.h"

namespace lullwood {

namespace {

constexpr std::array kTopics = {
    HelpTopic{1, "Contents", ":/help/index.html"},
    HelpTopic{3, "Using Lullwood", ":/help/using.html"},
};

// The page in the user's language where a translation of it is compiled in (":/help/de/
// using.html" beside ":/help/using.html"), else the English page. Links between pages are
// relative, so a translated page leads to translated pages.
QUrl PageUrl(std::string_view resourcePath) {
  const QString path = ToQString(resourcePath);
  const qsizetype slash = path.lastIndexOf('/');
  for (QString language : QLocale().uiLanguages()) {
    language.replace('-', '_');
    for (const QString& tried : {language, language.section('_', 0, 0)}) {
      const QString translated = path.left(slash + 1) + tried + path.mid(slash);
      if (QFile::exists(translated)) return QUrl("qrc" + translated);
    }
  }
  return QUrl("qrc" + path);
}

// The resource file behind a qrc: URL, without its fragment.
QString ResourcePath(const QUrl& page) {
  return page.scheme() == "qrc" ? ":" + page.path() : page.toLocalFile();
}

}  // namespace

std::span<const HelpTopic> HelpTopics() {
  return kTopics;
}

const HelpTopic* FindHelpTopic(int context) {
  for (const HelpTopic& topic : kTopics) {
    if (topic.context == context) return &topic;
  }
  return nullptr;
}

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName("helpWindow");
  setWindowTitle(tr("Lullwood Help"));

  browser_ = new QTextBrowser(this);
  browser_->setObjectName("helpBrowser");
  browser_->setOpenExternalLinks(true);

  auto* contents = new QToolButton(this);
  contents->setObjectName("helpContents");
  contents->setText(tr("&Contents"));
  back_ = new QToolButton(this);
  back_->setObjectName("helpBack");
  back_->setText(tr("&Back"));
  back_->setEnabled(false);
  forward_ = new QToolButton(this);
  forward_->setObjectName("helpForward");
  forward_->setText(tr("&Forward"));
  forward_->setEnabled(false);
  auto* close = new QToolButton(this);
  close->setObjectName("helpClose");
  close->setText(tr("C&lose"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(back_);
  buttons->addWidget(forward_);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* column = new QVBoxLayout(this);
  column->addLayout(buttons);
  column->addWidget(browser_, 1);

  connect(contents, &QToolButton::clicked, this,
          [this] { ShowPage(PageUrl(FindHelpTopic(1)->page)); });
  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(close, &QToolButton::clicked, this, &QWidget::close);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? tr("Lullwood Help") : tr("Lullwood Help - %1").arg(title));
  });

  resize(640, 560);
}

bool HelpWindow::ShowPage(const QUrl& page) {
  if (!QFile::exists(ResourcePath(page))) return false;
  browser_->setSource(page);
  return true;
}

bool OpenHelpPage(QWidget* owner, const QUrl& page) {
  auto* window =
      owner ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  const bool made = window == nullptr;
  if (made) {
    window = new HelpWindow(owner);
    if (!owner) window->setAttribute(Qt::WA_DeleteOnClose);
  }
  if (!window->ShowPage(page)) {
    if (made) delete window;
    return false;
  }
  window->show();
  window->raise();
  window->activateWindow();
  return true;
}

bool OpenHelpTopic(QWidget* owner, int context) {
  const HelpTopic* topic = FindHelpTopic(context);
  return topic && OpenHelpPage(owner, PageUrl(topic->page));
}

}  // namespace lullwood
