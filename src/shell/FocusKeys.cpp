#include "FocusKeys.h"

#include <QKeyEvent>
#include <QWidget>

FocusKeys::FocusKeys(QWidget* widget, QList<int> keys, Handling handling)
    : QObject(widget), m_keys(std::move(keys)), m_handling(handling) {
    widget->installEventFilter(this);
}

bool FocusKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier || !m_keys.contains(key->key()))
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepted, the override sends the key to the widget instead of a shortcut.
        event->accept();
        return true;
    }
    if (m_handling == Handling::Widget)
        return QObject::eventFilter(watched, event);
    if (!key->isAutoRepeat())
        emit activated();
    return true;
}
