#pragma once

#include <QObject>

// While a command waits for the server, the user's input is kept from every window of the
// program, so that nothing is asked of a program that is busy. Two ways out stay open: Escape
// asks for the command to be cancelled, and closing a window reaches that window as usual (the
// main window cancels the command and closes).
class RequestInputGate : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~RequestInputGate() override;

    bool isActive() const { return m_active; }
    void setActive(bool active);

signals:
    void cancelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_active = false;
};
