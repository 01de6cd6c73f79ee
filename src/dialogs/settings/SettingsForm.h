#pragma once

#include "StoredSettings.h"

#include <QString>

#include <optional>
#include <variant>

// What the settings dialog shows and saves, without the dialog.
struct SettingsForm {
    static constexpr char IllustrativeServer[] = "http://localhost/sonaric";

    QString servername = QLatin1String(IllustrativeServer);
    QString username;
    QString password; // as typed; never loaded
    bool autoRefresh = false;
    bool autoPlay = false;
    bool hasSavedPassword = false; // a digest is stored, which an empty password keeps
    QString readProblem;           // why a settings file that is there could not be read

    // The form's initial contents, then whatever the settings file holds.
    static SettingsForm load();

    // The settings to store: an empty password keeps the digest already saved, so that changing
    // an option does not sign the user out.
    StoredSettings toStored(const QString& savedDigest) const;

    // Writes the settings file; on success returns what was written, else the reason.
    std::variant<StoredSettings, QString> save() const;
};
