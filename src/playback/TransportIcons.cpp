#include "TransportIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace TransportIcons {
namespace {

// The shapes on a 24 x 24 grid.
void draw(QPainter& p, Kind kind, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    auto triangle = [&p](QPointF a, QPointF b, QPointF c) {
        const QPointF points[] = {a, b, c};
        p.drawPolygon(points, 3);
    };
    auto speaker = [&p] {
        const QPointF points[] = {{3, 9}, {7, 9}, {12, 4.5}, {12, 19.5}, {7, 15}, {3, 15}};
        p.drawPolygon(points, 6);
    };
    switch (kind) {
    case Kind::Play:
        triangle({7, 4.5}, {19.5, 12}, {7, 19.5});
        break;
    case Kind::Pause:
        p.drawRect(QRectF(6, 5, 4, 14));
        p.drawRect(QRectF(14, 5, 4, 14));
        break;
    case Kind::Stop:
        p.drawRect(QRectF(6, 6, 12, 12));
        break;
    case Kind::Next:
        triangle({5, 5}, {15, 12}, {5, 19});
        p.drawRect(QRectF(16, 5, 3, 14));
        break;
    case Kind::Previous:
        p.drawRect(QRectF(5, 5, 3, 14));
        triangle({19, 5}, {9, 12}, {19, 19});
        break;
    case Kind::Volume: {
        speaker();
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(9, 8, 7, 8), -60 * 16, 120 * 16);
        p.drawArc(QRectF(8, 4.5, 12, 15), -60 * 16, 120 * 16);
        break;
    }
    case Kind::Muted:
        speaker();
        p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 9), QPointF(21, 15));
        p.drawLine(QPointF(21, 9), QPointF(15, 15));
        break;
    }
}

QPixmap pixmap(Kind kind, const QColor& colour, int size) {
    QPixmap out(size, size);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    draw(p, kind, colour);
    return out;
}

} // namespace

QIcon icon(Kind kind, const QPalette& palette) {
    QIcon out;
    for (int size : {16, 20, 24, 32, 48, 64}) {
        out.addPixmap(pixmap(kind, palette.color(QPalette::Active, QPalette::ButtonText), size));
        out.addPixmap(pixmap(kind, palette.color(QPalette::Disabled, QPalette::ButtonText), size),
                      QIcon::Disabled);
    }
    return out;
}

} // namespace TransportIcons
