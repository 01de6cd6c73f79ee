#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One client per user at a time, so two players never play at once: the first to start listens
// on a local socket (in the user's own runtime folder where there is one), and a later start
// hands over to it, which brings its window to the front, and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);

    // True when this is the first instance, which now answers later ones; false when another
    // instance runs and has been asked to come to the front.
    bool claim();

    static QString defaultName();

signals:
    void raiseRequested();

private:
    bool handOver();

    QString m_name;
    QLocalServer m_server;
};
