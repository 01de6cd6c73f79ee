#include "DesktopBus.h"

#include <QFileInfo>

namespace {
constexpr char ConnectionName[] = "sonaric-desktop";
} // namespace

std::optional<QString> DesktopBus::sessionAddress() {
    const QString named = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!named.isEmpty())
        return named;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return std::nullopt;
    const QString socket = runtime + QLatin1String("/bus");
    if (!QFileInfo::exists(socket))
        return std::nullopt;
    return QLatin1String("unix:path=") + socket;
}

QDBusConnection DesktopBus::connect() {
    const std::optional<QString> address = sessionAddress();
    if (!address)
        return QDBusConnection(QLatin1String(ConnectionName));
    return QDBusConnection::connectToBus(*address, QLatin1String(ConnectionName));
}
