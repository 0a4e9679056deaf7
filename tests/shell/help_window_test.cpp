#include <gtest/gtest.h>

#include <QFile>
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

TEST(Help, EveryLinkLeadsToAnExistingPageAndAnchor) {
  const QRegularExpression href(R"(href="([^"]+)\")");
  int links = 0;
  for (const HelpTopic& topic : HelpTopics()) {
    const QString pagePath = Text(topic.page);
    const QString page = ReadPage(pagePath);
    for (const auto& match : href.globalMatch(page)) {
      const QUrl link(match.captured(1));
      if (!link.scheme().isEmpty()) continue;  // outside the help
      ++links;
      const QString target = link.path().isEmpty() ? pagePath : ":/help/" + link.path();
      const QString targetPage = ReadPage(target);
      ASSERT_FALSE(targetPage.isEmpty())
          << pagePath.toStdString() << " -> " << target.toStdString();
      if (link.hasFragment()) {
        EXPECT_TRUE(targetPage.contains("name=\"" + link.fragment() + "\""))
            << pagePath.toStdString() << " -> " << match.captured(1).toStdString();
      }
    }
  }
  EXPECT_GT(links, 5);
}

}  // namespace
}  // namespace lullwood
