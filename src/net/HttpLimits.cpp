#include "HttpLimits.h"

bool HttpLimits::isSameServer(const QUrl& origin, const QUrl& target) {
    const QString from = origin.scheme().toLower();
    const QString to = target.scheme().toLower();
    const bool sameHost = origin.host().compare(target.host(), Qt::CaseInsensitive) == 0;
    if (!sameHost || !target.isValid())
        return false;
    if (from == QLatin1String("http") && to == QLatin1String("https"))
        return true;
    const int defaultPort = from == QLatin1String("https") ? 443 : 80;
    return from == to && origin.port(defaultPort) == target.port(defaultPort);
}
