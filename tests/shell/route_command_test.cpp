#include <gtest/gtest.h>

#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "ControlIds.h"
#include "RecordingActions.h"

namespace lullwood {
namespace {

using Calls = std::vector<std::string>;
using testing::RecordingActions;
std::string Standard(unsigned first, std::uintptr_t second = 0) {
  return RecordingActions::Standard(first, second);
}

Calls Route(unsigned first, std::uintptr_t second) {
  RecordingActions window;
  RouteCommand(window.Actions(), first, second);
  return window.calls;
}

Calls System(unsigned command) {
  RecordingActions window;
  OnSystemCommand(window.Actions(), command);
  return window.calls;
}

TEST(RouteCommand, EachMenuCommandRunsItsActionThenTheRoutingTable) {
  EXPECT_EQ(Route(32773, 0), (Calls{"about", Standard(32773)}));
  EXPECT_EQ(Route(32775, 0), (Calls{"closeDown", Standard(32775)}));
  EXPECT_EQ(Route(32771, 0), (Calls{"openScenario", Standard(32771)}));
  EXPECT_EQ(Route(32772, 0), (Calls{"saveScenarioAs", Standard(32772)}));
  EXPECT_EQ(Route(32776, 0), (Calls{"help:3", Standard(32776)}));
}

TEST(RouteCommand, ControlCommandsReachOnlyTheRoutingTable) {
  for (const unsigned id : {1051u, 1007u, 1088u, 1059u}) {
    EXPECT_EQ(Route(id, 0), (Calls{Standard(id)})) << id;
  }
  // A notification code in the high half makes it no menu command.
  const unsigned notified = (1u << 16) | 32773u;
  EXPECT_EQ(Route(notified, 0), (Calls{Standard(notified)}));
  // The second parameter is a status-area click only for command 0.
  EXPECT_EQ(Route(1007, tray::kContextClick), (Calls{Standard(1007, tray::kContextClick)}));
}

TEST(RouteCommand, TrayMessagesReachTheirBranch) {
  EXPECT_EQ(Route(0, tray::kContextClick),
            (Calls{"scenarioMenu", Standard(0, tray::kContextClick)}));
  EXPECT_EQ(Route(0, tray::kClick), (Calls{"show", Standard(0, tray::kClick)}));
  EXPECT_EQ(Route(0, tray::kDoubleClick), (Calls{"show", Standard(0, tray::kDoubleClick)}));
  for (const std::uintptr_t other :
       {tray::kMiddleClick, std::uintptr_t{5}, std::uintptr_t{0x0202}}) {
    EXPECT_EQ(Route(0, other), (Calls{Standard(0, other)})) << other;
  }
}

TEST(RouteCommand, ReturnsTheRoutingTablesResult) {
  RecordingActions window;
  window.standardResult = false;
  EXPECT_FALSE(RouteCommand(window.Actions(), 32773, 0));
  window.standardResult = true;
  EXPECT_TRUE(RouteCommand(window.Actions(), 0, tray::kClick));
}

TEST(OnSystemCommand, MinimiseHidesAndMaximiseDoesNothing) {
  EXPECT_EQ(System(kSystemMinimize), (Calls{"hide"}));
  EXPECT_EQ(System(kSystemMaximize), Calls{});
}

TEST(OnSystemCommand, MuteAndPlayActThenFallThroughToTheDefault) {
  EXPECT_EQ(System(1051), (Calls{"mute", "default:1051"}));
  EXPECT_EQ(System(1007), (Calls{"play", "default:1007"}));
}

TEST(OnSystemCommand, AboutAnswersTheBlockOfSixteenAndTheRestGoesToTheDefault) {
  for (const unsigned about : {16u, 17u, 31u}) EXPECT_EQ(System(about), (Calls{"about"})) << about;
  for (const unsigned other : {15u, 32u, kSystemClose, kSystemRestore}) {
    EXPECT_EQ(System(other), (Calls{"default:" + std::to_string(other)})) << other;
  }
}

TEST(MenuTable, EveryPopupAndEntryIsAsListed) {
  struct Entry {
    std::string_view text;
    int id;  // 0: a separator
  };
  const std::vector<Entry> scenario = {
      {"&Load...", 32771}, {"&Save...", 32772}, {"", 0}, {"E&xit", 32775}, {"", 0},
      {"&Mute", 1051},     {"&Play", 1007}};
  const std::vector<Entry> help = {{"&About", 32773}, {"&Using Lullwood...", 32776}};
  ASSERT_EQ(MainMenu().size(), 2u);
  EXPECT_EQ(MainMenu()[0].title, "&Scenario");
  EXPECT_EQ(MainMenu()[1].title, "&Help");
  const auto same = [](std::span<const MenuEntry> entries, const std::vector<Entry>& want) {
    ASSERT_EQ(entries.size(), want.size());
    for (size_t k = 0; k < want.size(); ++k) {
      EXPECT_EQ(entries[k].commandId, want[k].id) << k;
      if (want[k].id != 0) {
        EXPECT_EQ(entries[k].text, want[k].text) << k;
      }
    }
  };
  same(MainMenu()[0].entries, scenario);
  same(MainMenu()[1].entries, help);
  // The right-click popup is the menu bar's first popup.
  EXPECT_EQ(ScenarioMenuEntries().data(), MainMenu()[0].entries.data());
  same(ScenarioMenuEntries(), scenario);
}

TEST(MenuTable, CommandIdsAreTheListedNumbers) {
  EXPECT_EQ(ids::kLoadScenario, 32771);
  EXPECT_EQ(ids::kSaveScenario, 32772);
  EXPECT_EQ(ids::kAbout, 32773);
  EXPECT_EQ(ids::kExitCommand, 32775);
  EXPECT_EQ(ids::kUsingLullwood, 32776);
  EXPECT_EQ(ids::kAboutSystemCommand, 16);
  EXPECT_EQ(kUsingLullwoodContext, 3);
  EXPECT_EQ(kSystemMinimize, 61472u);
  EXPECT_EQ(kSystemMaximize, 61488u);
  // The window's own controls.
  const std::pair<int, int> controls[] = {{ids::kBackgroundVolumeBar, 1001},
                                          {ids::kRandomVolumeBar, 1003},
                                          {ids::kPlay, 1007},
                                          {ids::kEnable, 1011},
                                          {ids::kMute, 1051},
                                          {ids::kClearAll, 1056},
                                          {ids::kScenarioFile, 1057},
                                          {ids::kBrowse, 1058},
                                          {ids::kExit, 1059},
                                          {ids::kBackgroundGroup, 1060},
                                          {ids::kBoostPriority, 1085},
                                          {ids::kHide, 1088},
                                          {ids::kAutoHide, 1090},
                                          {ids::kDynamicRandom, 1104}};
  for (const auto& [id, listed] : controls) EXPECT_EQ(id, listed);
}

}  // namespace
}  // namespace lullwood
