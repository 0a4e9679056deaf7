#include "ScenarioDrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace lullwood {

std::vector<std::string> DroppedLocalFiles(const QMimeData& data) {
  std::vector<std::string> paths;
  if (!data.hasUrls()) return paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  return paths;
}

bool AcceptScenarioDrag(QDropEvent& event) {
  const QMimeData* data = event.mimeData();
  const bool copyable = event.possibleActions().testFlag(Qt::CopyAction);
  if (data == nullptr || !copyable || DroppedLocalFiles(*data).empty()) {
    event.ignore();
    return false;
  }
  event.setDropAction(Qt::CopyAction);
  event.accept();
  return true;
}

}  // namespace lullwood
