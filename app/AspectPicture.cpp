#include "AspectPicture.h"

#include <QResizeEvent>
#include <utility>

namespace lullwood {

AspectPicture::AspectPicture(QPixmap picture, QWidget* parent)
    : QLabel(parent), picture_(std::move(picture)) {
  setAlignment(Qt::AlignCenter);
  Rescale();
}

void AspectPicture::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Rescale();
}

// Scaled once per size, so painting only copies the picture.
void AspectPicture::Rescale() {
  const QSize room = contentsRect().size();
  if (picture_.isNull() || room.isEmpty()) {
    setPixmap(picture_);
    return;
  }
  setPixmap(picture_.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace lullwood
