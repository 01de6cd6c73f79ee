#pragma once

#include <QString>

// What the settings dialog may change in the program: the connection settings, applied through
// setters that store and do nothing else, and the library refresh it may offer.
class SessionSettings {
public:
    virtual ~SessionSettings() = default;

    virtual void setServername(const QString& value) = 0;
    virtual void setUsername(const QString& value) = 0;
    virtual void setHashKey(const QString& value) = 0;
    virtual void setAutoRefresh(bool value) = 0;
    virtual void setAutoPlay(bool value) = 0;
    virtual void refreshLibrary() = 0;
};
