#include "StreamAddress.h"

bool StreamAddress::isPlayable(const QUrl& url) {
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
