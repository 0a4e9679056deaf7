// The menu bar and the "&Scenario" popup, built from the one menu table. Every action
// carries its command id in data(). UI thread only.
#pragma once

#include <QPoint>
#include <functional>
#include <span>

#include "ShellCommands.h"

class QAction;
class QContextMenuEvent;
class QMenu;
class QMenuBar;
class QString;
class QWidget;

namespace lullwood {

// Receives the command id of a chosen entry.
using CommandSink = std::function<void(int commandId)>;

// Appends the entries to `menu`, separators included.
void FillMenu(QMenu& menu, std::span<const MenuEntry> entries);

// The whole menu bar; a chosen entry reaches `sink`.
QMenuBar* BuildMenuBar(QWidget* parent, CommandSink sink);

// A popup of the program's own added to the bar before its last popup ("&Help"), or
// at its end when it has none; and the same as a submenu at the end of `menu`, after
// a separator. Both titled `title`, named `objectName`; the caller fills them.
QMenu* AddPopupBeforeHelp(QMenuBar& bar, const QString& title, const QString& objectName);
QMenu* AppendSubmenu(QMenu& menu, const QString& title, const QString& objectName);

// The "&Scenario" entries as a standing menu (the status-area icon's own menu); a
// chosen entry reaches `sink`.
QMenu* BuildScenarioMenu(QWidget* parent, CommandSink sink);

// Opens the "&Scenario" popup with its top left corner at `globalPos` and waits for
// the choice. Returns the chosen command id, or 0 when the popup was dismissed. The
// popup is gone when this returns, so the command runs as an ordinary one.
int TrackScenarioMenu(QWidget* owner, const QPoint& globalPos);

// Where the popup opens for a context-menu request: the pointer for a mouse request;
// the middle of the focus widget (or of `window` without one) for a keyboard request.
QPoint ScenarioMenuPoint(const QContextMenuEvent& event, QWidget* window);

// The standard Help key (F1 on Linux desktops) while `window` is active: delivers the
// "&Using Lullwood..." command to `sink`, as that menu entry does.
void InstallHelpKey(QWidget* window, CommandSink sink);

// The command id an action carries, 0 for none.
int CommandIdOf(const QAction* action);

}  // namespace lullwood
