#pragma once

#include "InstanceLock.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

// One client per user at a time, so two players never play at once: the first to start holds a
// lock and listens on a local socket in a folder only its user can write to; a later start finds
// the lock taken, hands over to the running instance, which brings its window to the front, and
// ends. Only an instance of the same user is handed over to.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);

    // True when this is the first instance, which now answers later ones (or when the rule cannot
    // be kept safely: the client then runs); false when another instance runs, and has been asked
    // to come to the front where it answers.
    bool claim();

    // A socket path in the user's runtime folder when that is the user's own and closed to
    // others, else in a private folder of the client's own under the temporary folder. Empty
    // when there is no such place: the client then runs without the rule rather than trust
    // another user's socket.
    static QString defaultName();

signals:
    void raiseRequested();

private:
    enum class HandOver { Done, NoAnswer, AnotherUser };
    HandOver handOver();
    QString lockPath() const;

    QString m_name;
    QLocalServer m_server;
    InstanceLock m_lock;
};
