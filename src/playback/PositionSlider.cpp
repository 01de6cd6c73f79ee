#include "PositionSlider.h"

#include "PlayerControlBar.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace {

class AccessiblePosition : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessiblePosition(PositionSlider* slider)
        : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? slider()->valueText() : QAccessibleWidget::text(kind);
    }
    QVariant currentValue() const override { return slider()->value(); }
    // The player decides where playback goes; the slider follows it.
    void setCurrentValue(const QVariant& value) override {
        emit slider()->valueRequested(value.toInt());
    }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

private:
    PositionSlider* slider() const { return static_cast<PositionSlider*>(widget()); }
};

// Qt's accessibility cache owns the interfaces a factory makes.
QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("PositionSlider"))
        if (auto* slider = qobject_cast<PositionSlider*>(object))
            return new AccessiblePosition(slider);
    return nullptr;
}

} // namespace

PositionSlider::PositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(installed);
}

QString PositionSlider::valueText() const {
    return tr("%1 of %2")
        .arg(PlayerControlBar::timeText(value()), PlayerControlBar::timeText(maximum()));
}
