#include "RequestInputGate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShortcutEvent>
#include <QWidget>

#include <algorithm>

RequestInputGate::~RequestInputGate() {
    setActive(false);
}

void RequestInputGate::setActive(bool active) {
    if (active == m_active || !QCoreApplication::instance())
        return;
    m_active = active;
    if (active)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

void RequestInputGate::addLiveControl(QWidget* control) {
    m_liveControls.append(control);
}

void RequestInputGate::setLiveKeys(QList<QKeySequence> keys) {
    m_liveKeys = std::move(keys);
}

// By ownership rather than by window, so that a menu a live control opens is live too.
bool RequestInputGate::isLive(const QObject* watched) const {
    for (const QObject* object = watched; object; object = object->parent())
        for (const QPointer<QWidget>& control : m_liveControls)
            if (object == control)
                return true;
    return false;
}

bool RequestInputGate::isLiveKey(QKeyCombination key) const {
    const QKeySequence pressed(key);
    return std::any_of(m_liveKeys.begin(), m_liveKeys.end(), [&](const QKeySequence& live) {
        return live.matches(pressed) == QKeySequence::ExactMatch;
    });
}

// Only what comes from the window system is held back, and the shortcuts its keys set off; events
// the program sends itself pass. A window passes its input on to its widgets, which are told
// apart where it arrives.
bool RequestInputGate::eventFilter(QObject* watched, QEvent* event) {
    const bool shortcut =
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::Shortcut;
    if ((!event->spontaneous() && !shortcut) || watched->isWindowType())
        return QObject::eventFilter(watched, event);
    // Escape is the way out wherever the focus is, unless it closes a menu.
    const bool escape = event->type() == QEvent::KeyPress &&
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
                        !QApplication::activePopupWidget();
    if (isLive(watched) && !escape)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        // Auto-repeat would cancel the next request too.
        if (escape && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            emit cancelRequested();
        return true;
    case QEvent::ShortcutOverride:
        // Left unclaimed, a live key goes to its shortcut rather than to the focused widget; any
        // other is claimed here, so that no shortcut takes it, and held back as a key press.
        event->setAccepted(!isLiveKey(static_cast<QKeyEvent*>(event)->keyCombination()));
        return true;
    case QEvent::Shortcut:
        if (isLiveKey(static_cast<QShortcutEvent*>(event)->key()[0]))
            return QObject::eventFilter(watched, event);
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
