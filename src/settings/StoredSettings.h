#pragma once

#include <QString>

// The contents of the settings file.
struct StoredSettings {
    QString servername;
    QString username;
    QString passwordDigest;
    bool autoRefresh = false;
    bool autoPlay = false;

    friend bool operator==(const StoredSettings&, const StoredSettings&) = default;
};
