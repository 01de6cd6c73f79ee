#include "RequestInputGate.h"

#include <QCoreApplication>
#include <QKeyEvent>

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

// Only what comes from the window system is held back; events the program sends itself pass.
bool RequestInputGate::eventFilter(QObject* watched, QEvent* event) {
    if (!event->spontaneous())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        // Auto-repeat would cancel the next request too.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            emit cancelRequested();
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
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
