// Files dragged onto the main window: which drags it takes and what a drop hands over.
// UI thread only.
#pragma once

#include <string>
#include <vector>

class QDropEvent;
class QMimeData;

namespace lullwood {

// Takes the drag (or the drop) when it carries at least one local file and the source
// lets it be copied, and always as a copy, whatever the source proposes: a Shift-drag
// proposes a move, after which a file manager would delete the file it dropped.
// Otherwise refuses it. Returns whether it was taken.
bool AcceptScenarioDrag(QDropEvent& event);

// The local files a drop carries, in the order of the drag; other URLs are left out.
std::vector<std::string> DroppedLocalFiles(const QMimeData& data);

}  // namespace lullwood
