#pragma once

#include "FetchError.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

struct HttpReply {
    // The body as it arrived: one buffer when its length was announced, else the pieces in
    // order. takeBody() joins them, which for a large reply is best done off the GUI thread.
    std::vector<QByteArray> pieces;
    FetchError error = FetchError::None;
    int httpStatus = 0;
    QString reason; // for the caller's report; never contains the request URL's query

    bool ok() const { return error == FetchError::None; }

    QByteArray takeBody() {
        if (pieces.size() == 1)
            return std::exchange(pieces, {}).front();
        qsizetype size = 0;
        for (const QByteArray& piece : pieces)
            size += piece.size();
        QByteArray body;
        body.reserve(size);
        // Each piece goes as soon as it is copied, so the body is never held twice over.
        for (QByteArray& piece : pieces)
            body += std::exchange(piece, QByteArray());
        pieces.clear();
        return body;
    }
};
