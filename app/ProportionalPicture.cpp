#include "ProportionalPicture.h"

#include <QResizeEvent>
#include <utility>

namespace lullwood {

ProportionalPicture::ProportionalPicture(QPixmap picture, QWidget* parent)
    : QLabel(parent), picture_(std::move(picture)) {
  setAlignment(Qt::AlignCenter);
  Rescale();
}

void ProportionalPicture::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Rescale();
}

// Scaled once per size, so painting only copies the picture.
void ProportionalPicture::Rescale() {
  const QSize room = contentsRect().size();
  if (picture_.isNull() || room.isEmpty()) {
    setPixmap(picture_);
    return;
  }
  setPixmap(picture_.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace lullwood
