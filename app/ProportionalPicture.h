// A picture control: the picture scaled to fit its frame with its own proportions kept,
// centred, instead of stretched to the frame's shape. UI thread only.
#pragma once

#include <QLabel>
#include <QPixmap>

namespace lullwood {

class ProportionalPicture : public QLabel {
  Q_OBJECT

 public:
  ProportionalPicture(QPixmap picture, QWidget* parent);

  // The picture as given, before scaling.
  const QPixmap& picture() const { return picture_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Rescale();

  QPixmap picture_;
};

}  // namespace lullwood
