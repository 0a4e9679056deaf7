#include <gtest/gtest.h>

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
  EXPECT_EQ(Route(ids::kAbout, 0), (Calls{"about", Standard(ids::kAbout)}));
  EXPECT_EQ(Route(ids::kExitCommand, 0), (Calls{"closeDown", Standard(ids::kExitCommand)}));
  EXPECT_EQ(Route(ids::kLoadScenario, 0), (Calls{"openScenario", Standard(ids::kLoadScenario)}));
  EXPECT_EQ(Route(ids::kSaveScenario, 0), (Calls{"saveScenarioAs", Standard(ids::kSaveScenario)}));
  EXPECT_EQ(Route(ids::kUsingLullwood, 0), (Calls{"help:3", Standard(ids::kUsingLullwood)}));
}

TEST(RouteCommand, ControlCommandsReachOnlyTheRoutingTable) {
  for (const int id : {ids::kMute, ids::kPlay, ids::kHide, ids::kExit}) {
    EXPECT_EQ(Route(id, 0), (Calls{Standard(id)})) << id;
  }
  // A notification code in the high half makes it no menu command.
  const unsigned notified = (1u << 16) | ids::kAbout;
  EXPECT_EQ(Route(notified, 0), (Calls{Standard(notified)}));
  // The second parameter is a mouse message only for command 0.
  EXPECT_EQ(Route(ids::kPlay, kRightButtonUp), (Calls{Standard(ids::kPlay, kRightButtonUp)}));
}

TEST(RouteCommand, TrayMessagesReachTheirBranch) {
  EXPECT_EQ(Route(0, kRightButtonUp), (Calls{"scenarioMenu", Standard(0, kRightButtonUp)}));
  EXPECT_EQ(Route(0, kLeftButtonUp), (Calls{"show", Standard(0, kLeftButtonUp)}));
  EXPECT_EQ(Route(0, kLeftButtonDoubleClick), (Calls{"show", Standard(0, kLeftButtonDoubleClick)}));
  for (const std::uintptr_t other :
       {kMiddleButtonUp, std::uintptr_t{0x0201}, std::uintptr_t{0x0206}}) {
    EXPECT_EQ(Route(0, other), (Calls{Standard(0, other)})) << other;
  }
}

TEST(RouteCommand, ReturnsTheRoutingTablesResult) {
  RecordingActions window;
  window.standardResult = false;
  EXPECT_FALSE(RouteCommand(window.Actions(), ids::kAbout, 0));
  window.standardResult = true;
  EXPECT_TRUE(RouteCommand(window.Actions(), 0, kLeftButtonUp));
}

TEST(OnSystemCommand, MinimiseHidesAndMaximiseDoesNothing) {
  EXPECT_EQ(System(kSystemMinimize), (Calls{"hide"}));
  EXPECT_EQ(System(kSystemMaximize), Calls{});
}

TEST(OnSystemCommand, MuteAndPlayActThenFallThroughToTheDefault) {
  EXPECT_EQ(System(ids::kMute), (Calls{"mute", "default:1051"}));
  EXPECT_EQ(System(ids::kPlay), (Calls{"play", "default:1007"}));
}

TEST(OnSystemCommand, AboutAnswersTheBlockOfSixteenAndTheRestGoesToTheDefault) {
  for (const unsigned about : {16u, 17u, 31u}) EXPECT_EQ(System(about), (Calls{"about"})) << about;
  for (const unsigned other : {15u, 32u, kSystemClose, kSystemRestore}) {
    EXPECT_EQ(System(other), (Calls{"default:" + std::to_string(other)})) << other;
  }
}

TEST(MenuTable, TheScenarioPopupIsTheMenuBarsFirst) {
  ASSERT_EQ(MainMenu().size(), 2u);
  EXPECT_EQ(MainMenu()[0].title, "&Scenario");
  EXPECT_EQ(MainMenu()[1].title, "&Help");
  EXPECT_EQ(ScenarioMenuEntries().data(), MainMenu()[0].entries.data());
}

}  // namespace
}  // namespace lullwood
