#pragma once

#include "SonaricVersion.h"

#include <QDBusAbstractAdaptor>
#include <QStringList>

class MprisService;

// org.mpris.MediaPlayer2: who the player is and what the desktop may ask of its window.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

public:
    explicit MprisRootAdaptor(MprisService* service);

    // Quitting goes through the Exit command and its question, not over the bus.
    bool CanQuit() const { return false; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QString::fromUtf8(SonaricVersion::Title); }
    QString DesktopEntry() const { return QStringLiteral("sonaric-client"); }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit() {}

private:
    MprisService* m_service;
};
