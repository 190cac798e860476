#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

QImage appIconImage()
{
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // An olive module housing ...
    QLinearGradient body(0, 16, 0, 240);
    body.setColorAt(0, QColor(190, 208, 150));
    body.setColorAt(1, QColor(120, 145, 80));
    p.setPen(QPen(QColor(70, 90, 40), 8));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(20, 20, 216, 216), 36, 36);

    // ... with a relay contact: a coil and a switch arm ...
    p.setPen(QPen(QColor(40, 50, 25), 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath coil;
    coil.moveTo(56, 150);
    for (int turn = 0; turn < 4; ++turn)
        coil.arcTo(QRectF(56 + turn * 24, 126, 24, 48), 180, -180);
    p.drawPath(coil);
    p.drawLine(QPointF(60, 96), QPointF(120, 96));
    p.drawLine(QPointF(120, 96), QPointF(186, 64));
    p.drawLine(QPointF(176, 96), QPointF(200, 96));

    // ... on a bus line.
    p.setPen(QPen(QColor(255, 250, 220), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(44, 206), QPointF(212, 206));
    p.setBrush(QColor(255, 250, 220));
    for (int x : {84, 128, 172})
        p.drawEllipse(QPointF(x, 206), 9, 9);
    return image;
}

QIcon appIcon()
{
    return QIcon(QPixmap::fromImage(appIconImage()));
}
