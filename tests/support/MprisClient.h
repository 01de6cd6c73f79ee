#pragma once

#include "MprisService.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>

#include <gtest/gtest.h>

#include <vector>

// What a desktop's media controls do: call the player's MPRIS methods, read its properties, and
// keep every PropertiesChanged and Seeked signal it sends.
class MprisClient : public QObject {
    Q_OBJECT

public:
    static constexpr char Player[] = "org.mpris.MediaPlayer2.Player";
    static constexpr char Root[] = "org.mpris.MediaPlayer2";

    MprisClient(QDBusConnection connection, QString service)
        : m_connection(std::move(connection)), m_service(std::move(service)) {
        // QtDBus takes a receiving slot only by its signature.
        EXPECT_TRUE(
            m_connection.connect(m_service, MprisService::ObjectPath,
                                 "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                                 SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))));
        EXPECT_TRUE(m_connection.connect(m_service, MprisService::ObjectPath, Player, "Seeked",
                                         this, SLOT(onSeeked(qlonglong))));
    }

    const QString& service() const { return m_service; }

    std::vector<QVariantMap> changes; // each PropertiesChanged, its metadata as a plain map
    std::vector<qlonglong> seeks;

    QDBusMessage call(const char* interface, const QString& method, QVariantList args = {}) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(m_service, MprisService::ObjectPath, interface, method);
        message.setArguments(args);
        return m_connection.call(message, QDBus::BlockWithGui, 5000);
    }
    QDBusMessage call(const QString& method, QVariantList args = {}) {
        return call(Player, method, std::move(args));
    }
    QVariant property(const char* interface, const char* name) {
        const QDBusMessage reply =
            call("org.freedesktop.DBus.Properties", "Get", {QString(interface), QString(name)});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return plain(reply.arguments().value(0).value<QDBusVariant>().variant());
    }
    QVariant property(const char* name) { return property(Player, name); }
    QVariantMap metadata() { return property("Metadata").toMap(); }
    void setProperty(const char* name, const QVariant& value) {
        call("org.freedesktop.DBus.Properties", "Set",
             {QString(Player), QString(name), QVariant::fromValue(QDBusVariant(value))});
    }

    // The value of a property as the newest signal announced it; invalid if none did.
    QVariant lastAnnounced(const QString& name) const {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            if (it->contains(name))
                return it->value(name);
        return {};
    }

    // Maps sent over the bus arrive as QDBusArgument; they are read into plain maps.
    static QVariant plain(const QVariant& value) {
        if (value.userType() == qMetaTypeId<QDBusArgument>())
            return qdbus_cast<QVariantMap>(value);
        return value;
    }

private slots:
    void onPropertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        QVariantMap out;
        for (auto it = changed.begin(); it != changed.end(); ++it)
            out.insert(it.key(), plain(it.value()));
        changes.push_back(out);
    }
    void onSeeked(qlonglong position) { seeks.push_back(position); }

private:
    QDBusConnection m_connection;
    QString m_service;
};
