#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

// The desktop's session bus, found without starting one. Asked for a session bus that is not
// there, D-Bus launches one and the asker waits for it (seconds, and under load worse); here the
// bus is the one the session names, or the user's own bus socket, or none. Without a bus the
// program goes without media keys and notifications.
class DesktopBus {
public:
    static std::optional<QString> sessionAddress();
    // A connection to the session bus; not connected when there is none.
    static QDBusConnection connect();
};
