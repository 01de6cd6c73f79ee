#include "StreamAddress.h"

std::optional<StreamAddress> StreamAddress::from(const QString& text) {
    QUrl url(text, QUrl::TolerantMode);
    if (!isPlayable(url))
        return std::nullopt;
    return StreamAddress(std::move(url));
}

bool StreamAddress::isPlayable(const QUrl& url) {
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
