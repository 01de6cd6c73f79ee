#pragma once

#include "SettingsFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Points $APPDATA at a fresh folder for one test, so the settings file lives there.
class TempAppData {
public:
    TempAppData() : m_old(qgetenv("APPDATA")) { qputenv("APPDATA", m_dir.path().toUtf8()); }
    ~TempAppData() { qputenv("APPDATA", m_old); }

    QString path() const { return m_dir.path(); }

    void writeSettings(const QByteArray& bytes) const {
        QDir().mkpath(SettingsFile::folderPath());
        QFile file(SettingsFile::filePath());
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    QByteArray settingsBytes() const {
        QFile file(SettingsFile::filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};
