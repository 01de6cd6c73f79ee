#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>

class QWidget;

// Gives keys to a focused widget ahead of the window's shortcuts. A window-wide Space for pause
// would otherwise take Space from a focused button, and Enter from the catalogue tree.
class FocusKeys : public QObject {
    Q_OBJECT

public:
    enum class Handling {
        Widget,   // the widget handles the keys as it always does (a button presses itself)
        Activate, // the keys come out as activated(), in place of the widget's own handling
        // As Activate, but a Space typed within the type-ahead interval after a letter goes to
        // the widget: it belongs to a name being typed ("the q").
        ActivateOutsideTypeAhead,
    };

    FocusKeys(QWidget* widget, QList<int> keys, Handling handling);

signals:
    void activated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isTypingAhead() const;

    QList<int> m_keys;
    Handling m_handling;
    QElapsedTimer m_lastTyped;
};
