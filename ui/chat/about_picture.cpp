#include "chat/about_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace besedka {
namespace {

constexpr int kWidth = 179;
constexpr int kHeight = 132;

void drawSky(QPainter& painter) {
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(0x1d, 0x2b, 0x53));
    sky.setColorAt(1.0, QColor(0x1f, 0x6f, 0x78));
    painter.fillRect(0, 0, kWidth, kHeight, sky);

    // Soft lights in the background.
    struct Light {
        QPointF centre;
        qreal radius;
        QColor colour;
    };
    const std::array<Light, 4> lights{{{{150, 22}, 26, QColor(255, 214, 120, 90)},
                                       {{30, 110}, 30, QColor(120, 220, 200, 70)},
                                       {{160, 112}, 18, QColor(255, 160, 170, 70)},
                                       {{92, 10}, 14, QColor(200, 200, 255, 60)}}};
    painter.setPen(Qt::NoPen);
    for (const Light& light : lights) {
        QRadialGradient glow(light.centre, light.radius);
        glow.setColorAt(0.0, light.colour);
        glow.setColorAt(1.0, Qt::transparent);
        painter.setBrush(glow);
        painter.drawEllipse(light.centre, light.radius, light.radius);
    }
}

// A rounded bubble with a tail from its lower edge towards `tailTip`.
QPainterPath bubble(const QRectF& body, QPointF tailRoot, QPointF tailTip) {
    QPainterPath path;
    path.addRoundedRect(body, 14, 14);
    QPainterPath tail;
    tail.moveTo(tailRoot.x() - 8, body.bottom() - 2);
    tail.quadTo(tailRoot.x() - 2, tailRoot.y() + 6, tailTip.x(), tailTip.y());
    tail.quadTo(tailRoot.x() + 6, tailRoot.y() + 2, tailRoot.x() + 10, body.bottom() - 2);
    tail.closeSubpath();
    return path.united(tail);
}

void drawBubble(QPainter& painter, const QPainterPath& shape, const QColor& fill) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70)); // shadow
    painter.drawPath(shape.translated(2, 3));
    painter.setPen(QPen(fill.darker(135), 1.5));
    painter.setBrush(fill);
    painter.drawPath(shape);
}

} // namespace

QImage aboutPicture() {
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawSky(painter);

    // The system's bubble, with three dots: it is thinking of a reply.
    const QRectF left(12, 14, 108, 58);
    drawBubble(painter, bubble(left, {34, left.bottom()}, {22, 88}), QColor(0xff, 0xf1, 0xc1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x6f, 0x78));
    for (int i = 0; i < 3; ++i) {
        painter.drawEllipse(QPointF(46 + i * 22, 43), 6.5, 6.5);
    }

    // The user's bubble, with two lines of text.
    const QRectF right(66, 70, 100, 42);
    drawBubble(painter, bubble(right, {146, right.bottom()}, {160, 126}), QColor(0xa8, 0xe6, 0xcf));
    painter.setPen(QPen(QColor(0x1d, 0x2b, 0x53), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(80, 84), QPointF(150, 84));
    painter.drawLine(QPointF(80, 97), QPointF(128, 97));
    return image;
}

} // namespace besedka
