#include "AccessibleControls.h"

#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QVariant>

#include "SoundscapeState.h"

namespace lullwood {
namespace {

// The dynamic property that marks a control described here, holding its ValueWords.
constexpr char kWordsProperty[] = "lullwoodValueWords";

QString WordsFor(const QAbstractSlider& control) {
  const int value = control.value();
  if (control.property(kWordsProperty).toInt() == static_cast<int>(ValueWords::kLevel)) {
    return LevelName(value);
  }
  return VolumeStepText(value, control.maximum());
}

// A slider or a volume bar as the bridge sees it: a slider whose value is read in words.
// The words are its value's text and, for readers that take only a number from the value
// itself, its description, kept up to date as it moves.
class WordedSlider : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit WordedSlider(QAbstractSlider* control)
      : QAccessibleWidget(control, QAccessible::Slider) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value || kind == QAccessible::Description) return WordsFor(*control());
    return QAccessibleWidget::text(kind);
  }

  QVariant currentValue() const override { return control()->value(); }
  void setCurrentValue(const QVariant& value) override {
    // As a drag of the thumb to there and its release: the window takes it as a user's move.
    control()->setSliderPosition(value.toInt());
  }
  QVariant maximumValue() const override { return control()->maximum(); }
  QVariant minimumValue() const override { return control()->minimum(); }
  QVariant minimumStepSize() const override { return control()->singleStep(); }

 private:
  QAbstractSlider* control() const { return static_cast<QAbstractSlider*>(widget()); }
};

QAccessibleInterface* MakeWordedSlider(const QString&, QObject* object) {
  auto* control = qobject_cast<QAbstractSlider*>(object);
  if (control == nullptr || !control->property(kWordsProperty).isValid()) return nullptr;
  return new WordedSlider(control);
}

}  // namespace

QString LevelName(int position) {
  switch (position) {
    case level::kNever:
      return QCoreApplication::translate("Lullwood", "Never");
    case level::kRarely:
      return QCoreApplication::translate("Lullwood", "Rarely");
    case level::kOccasionally:
      return QCoreApplication::translate("Lullwood", "Occasionally");
    case level::kFrequently:
      return QCoreApplication::translate("Lullwood", "Frequently");
    default:
      return {};
  }
}

QString VolumeStepText(int step, int steps) {
  return QCoreApplication::translate("Lullwood", "Step %1 of %2").arg(step).arg(steps);
}

void InstallAccessibleControls() {
  static const bool installed = [] {
    QAccessible::installFactory(&MakeWordedSlider);
    return true;
  }();
  (void)installed;
}

void DescribeForAssistiveTechnology(QAbstractSlider* control, const QString& name,
                                    ValueWords words) {
  InstallAccessibleControls();
  control->setProperty(kWordsProperty, static_cast<int>(words));
  control->setAccessibleName(name);
  // A reader hears the new words where it takes them from the description.
  QObject::connect(control, &QAbstractSlider::valueChanged, control, [control] {
    QAccessibleEvent changed(control, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
  });
}

}  // namespace lullwood
