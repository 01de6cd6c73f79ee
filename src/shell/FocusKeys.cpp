#include "FocusKeys.h"

#include <QApplication>
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
    const bool typeAhead = m_handling == Handling::ActivateOutsideTypeAhead;
    if (typeAhead && event->type() == QEvent::KeyPress && !key->text().isEmpty() &&
        key->text().at(0).isPrint() && (key->key() != Qt::Key_Space || isTypingAhead()))
        m_lastTyped.start();
    if (key->modifiers() & ~Qt::KeypadModifier || !m_keys.contains(key->key()))
        return QObject::eventFilter(watched, event);
    if (typeAhead && key->key() == Qt::Key_Space && isTypingAhead()) {
        // Claimed from the window's shortcuts, then left to the widget's own search.
        if (event->type() == QEvent::ShortcutOverride)
            event->accept();
        return false;
    }
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

bool FocusKeys::isTypingAhead() const {
    return m_lastTyped.isValid() && m_lastTyped.elapsed() < QApplication::keyboardInputInterval();
}
