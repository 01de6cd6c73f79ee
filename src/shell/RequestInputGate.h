#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// While a command waits for the server, the user's input is kept from every window of the
// program, so that nothing is asked of a program that is busy. What asks nothing of the server
// stays live: the live controls (and what they open, such as a context menu) take their input as
// usual, and the live keys reach the program's shortcuts wherever the focus is. Two ways out stay
// open: Escape asks for the command to be cancelled, and closing a window reaches that window as
// usual (the main window cancels the command and closes).
class RequestInputGate : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~RequestInputGate() override;

    bool isActive() const { return m_active; }
    void setActive(bool active);
    void addLiveControl(QWidget* control);
    void setLiveKeys(QList<QKeySequence> keys);

signals:
    void cancelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isLive(const QObject* watched) const;
    bool isLiveKey(QKeyCombination key) const;

    bool m_active = false;
    QList<QPointer<QWidget>> m_liveControls;
    QList<QKeySequence> m_liveKeys;
};
