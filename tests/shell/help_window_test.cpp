#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QWidget>

#include "HelpWindow.h"
#include "ShellCommands.h"

namespace lullwood {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The help follows the user's language: these tests read it in English unless they say.
class EnglishHelp : public ::testing::Environment {
 public:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};
const auto* const kEnglishHelp = ::testing::AddGlobalTestEnvironment(new EnglishHelp);

// The help's languages: "" for English, then each translation's folder.
QStringList HelpFolders() {
  QStringList folders{""};
  for (const QString& language : QDir(":/help").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    folders << language + "/";
  }
  return folders;
}

QString ReadPage(const QString& resourcePath) {
  QFile file(resourcePath);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

TEST(Help, UsingLullwoodOpensAtItsTopic) {
  QWidget owner;
  ASSERT_TRUE(OpenHelpTopic(&owner, kUsingLullwoodContext));
  auto* window = owner.findChild<HelpWindow*>();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isWindow()) << "a window of its own, not blocked by a modal owner";
  EXPECT_EQ(window->browser().documentTitle(), "Using Lullwood");
  EXPECT_TRUE(window->windowTitle().contains("Using Lullwood"));
  EXPECT_GT(window->browser().toPlainText().size(), 2000) << "a real page, not a stub";
}

TEST(Help, ASecondRequestReusesTheWindow) {
  QWidget owner;
  ASSERT_TRUE(OpenHelpTopic(&owner, kUsingLullwoodContext));
  auto* window = owner.findChild<HelpWindow*>();
  window->findChild<QToolButton*>("helpContents")->click();
  EXPECT_EQ(window->browser().documentTitle(), "Contents");
  EXPECT_TRUE(window->findChild<QToolButton*>("helpBack")->isEnabled());

  window->close();
  ASSERT_TRUE(OpenHelpTopic(&owner, kUsingLullwoodContext));
  EXPECT_EQ(owner.findChildren<HelpWindow*>().size(), 1);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->browser().documentTitle(), "Using Lullwood");
}

TEST(Help, AMissingTopicOrPageFailsAndShowsNothing) {
  QWidget owner;
  EXPECT_FALSE(OpenHelpTopic(&owner, 99));
  EXPECT_FALSE(OpenHelpPage(&owner, QUrl("qrc:/help/missing.html")));
  EXPECT_TRUE(owner.findChildren<HelpWindow*>().isEmpty());

  // An open window keeps its page when a later request fails.
  ASSERT_TRUE(OpenHelpTopic(&owner, kUsingLullwoodContext));
  EXPECT_FALSE(OpenHelpPage(&owner, QUrl("qrc:/help/missing.html")));
  EXPECT_EQ(owner.findChild<HelpWindow*>()->browser().documentTitle(), "Using Lullwood");
}

TEST(Help, EveryTopicsPageExistsUnderItsTitle) {
  ASSERT_NE(FindHelpTopic(kUsingLullwoodContext), nullptr);
  for (const HelpTopic& topic : HelpTopics()) {
    const QString page = ReadPage(Text(topic.page));
    ASSERT_FALSE(page.isEmpty()) << topic.page;
    EXPECT_TRUE(page.contains("<title>" + Text(topic.title) + "</title>")) << topic.page;
  }
}

TEST(Help, EveryLinkLeadsToAnExistingPageAndAnchorInEveryLanguage) {
  const QRegularExpression href(R"(href="([^"]+)\")");
  for (const QString& folder : HelpFolders()) {
    int links = 0;
    for (const HelpTopic& topic : HelpTopics()) {
      const QString pagePath = Text(topic.page).replace(":/help/", ":/help/" + folder);
      const QString page = ReadPage(pagePath);
      ASSERT_FALSE(page.isEmpty()) << pagePath.toStdString();
      for (const auto& match : href.globalMatch(page)) {
        const QUrl link(match.captured(1));
        if (!link.scheme().isEmpty()) continue;  // outside the help
        ++links;
        const QString target = link.path().isEmpty() ? pagePath : ":/help/" + folder + link.path();
        const QString targetPage = ReadPage(target);
        ASSERT_FALSE(targetPage.isEmpty())
            << pagePath.toStdString() << " -> " << target.toStdString();
        if (link.hasFragment()) {
          EXPECT_TRUE(targetPage.contains("name=\"" + link.fragment() + "\"") ||
                      targetPage.contains("id=\"" + link.fragment() + "\""))
              << pagePath.toStdString() << " -> " << match.captured(1).toStdString();
        }
      }
    }
    EXPECT_GT(links, 5) << folder.toStdString();
  }
}

TEST(Help, OpensInTheUsersLanguageWhereTranslatedElseEnglish) {
  const QStringList folders = HelpFolders();
  EXPECT_TRUE(folders.contains("de/") && folders.contains("fr/"))
      << folders.join(' ').toStdString();
  const struct {
    const char* locale;
    const char* page;
  } cases[] = {{"de_DE", "qrc:/help/de/using.html"},
               {"de_AT", "qrc:/help/de/using.html"},
               {"fr_CA", "qrc:/help/fr/using.html"},
               {"ja_JP", "qrc:/help/using.html"},
               {"C", "qrc:/help/using.html"}};
  for (const auto& c : cases) {
    QLocale::setDefault(QLocale(c.locale));
    QWidget owner;
    ASSERT_TRUE(OpenHelpTopic(&owner, kUsingLullwoodContext)) << c.locale;
    auto* window = owner.findChild<HelpWindow*>();
    EXPECT_EQ(window->browser().source().toString(), c.page) << c.locale;
    EXPECT_GT(window->browser().toPlainText().size(), 2000) << c.locale;
    // Contents leads to the same language's contents.
    window->findChild<QToolButton*>("helpContents")->click();
    EXPECT_EQ(window->browser().source().toString(), QString(c.page).replace("using", "index"))
        << c.locale;
  }
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

}  // namespace
}  // namespace lullwood
