#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kOutline(0x40, 0x40, 0x48);

void drawNew(QPainter &p)
{
    // A blank sheet with its top-right corner folded over.
    QPainterPath sheet;
    sheet.moveTo(5, 2.5);
    sheet.lineTo(14.5, 2.5);
    sheet.lineTo(19.5, 7.5);
    sheet.lineTo(19.5, 21.5);
    sheet.lineTo(5, 21.5);
    sheet.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);

    QPainterPath fold;
    fold.moveTo(14.5, 2.5);
    fold.lineTo(14.5, 7.5);
    fold.lineTo(19.5, 7.5);
    fold.closeSubpath();
    p.setBrush(QColor(0xd0, 0xd4, 0xdc));
    p.drawPath(fold);
}

void drawOpen(QPainter &p)
{
    // A folder: the back with its tab, and the front flap tilted open.
    p.setPen(QPen(QColor(0x8a, 0x62, 0x10), 1));
    QPainterPath back;
    back.moveTo(2.5, 5.5);
    back.lineTo(8.5, 5.5);
    back.lineTo(10.5, 7.5);
    back.lineTo(19.5, 7.5);
    back.lineTo(19.5, 19.5);
    back.lineTo(2.5, 19.5);
    back.closeSubpath();
    p.setBrush(QColor(0xe0, 0xa8, 0x30));
    p.drawPath(back);

    QPainterPath front;
    front.moveTo(2.5, 19.5);
    front.lineTo(6.5, 10.5);
    front.lineTo(22.5, 10.5);
    front.lineTo(18.5, 19.5);
    front.closeSubpath();
    p.setBrush(QColor(0xf8, 0xd0, 0x60));
    p.drawPath(front);
}

void drawSave(QPainter &p)
{
    // A diskette: dark body with a cut corner, metal shutter, paper label.
    QPainterPath body;
    body.moveTo(3.5, 3.5);
    body.lineTo(18.5, 3.5);
    body.lineTo(20.5, 5.5);
    body.lineTo(20.5, 20.5);
    body.lineTo(3.5, 20.5);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x10, 0x20, 0x50), 1));
    p.setBrush(QColor(0x2a, 0x4c, 0xa8));
    p.drawPath(body);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc8, 0xcc, 0xd4));
    p.drawRect(QRectF(7, 4, 9, 6));
    p.setBrush(QColor(0x2a, 0x4c, 0xa8));
    p.drawRect(QRectF(12.5, 5, 2, 4));

    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6, 12.5, 12, 7), 1, 1);
    p.setPen(QPen(QColor(0x90, 0xa0, 0xc0), 1));
    p.drawLine(QPointF(8, 15), QPointF(16, 15));
    p.drawLine(QPointF(8, 17.5), QPointF(16, 17.5));
}

void drawPrint(QPainter &p)
{
    // A printer: paper fed in at the top, the body, the printed sheet below.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 2.5, 11, 8));

    p.setBrush(QColor(0x9a, 0xa0, 0xaa));
    p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 2, 2);

    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 14.5, 11, 7));
    p.setPen(QPen(QColor(0x60, 0x60, 0x68), 1));
    p.drawLine(QPointF(8.5, 17), QPointF(15.5, 17));
    p.drawLine(QPointF(8.5, 19.5), QPointF(13.5, 19.5));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xc0, 0x40));
    p.drawEllipse(QPointF(18.5, 11.5), 1.2, 1.2);
}

void drawStart(QPainter &p)
{
    // A green "play" triangle: polling is off and this button starts it.
    QPainterPath triangle;
    triangle.moveTo(6.5, 3.5);
    triangle.lineTo(20.5, 12);
    triangle.lineTo(6.5, 20.5);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(0x10, 0x70, 0x20), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x2c, 0xb8, 0x44));
    p.drawPath(triangle);
}

void drawStop(QPainter &p)
{
    // A red "stop" square: polling runs and this button stops it.
    p.setPen(QPen(QColor(0x90, 0x10, 0x10), 1.2));
    p.setBrush(QColor(0xe0, 0x30, 0x28));
    p.drawRoundedRect(QRectF(4.5, 4.5, 15, 15), 2.5, 2.5);
}

} // namespace

QImage NivaraIconImage(int index, int size)
{
    using Draw = void (*)(QPainter &);
    static constexpr Draw kDrawers[kImageCount] = {drawNew, drawOpen, drawSave, drawPrint, drawStart, drawStop};
    if (index < 0 || index >= kImageCount || size <= 0)
        return {};

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(kImageSize), size / double(kImageSize));
    kDrawers[index](painter);
    return image;
}

QIcon NivaraIcon(int index)
{
    if (index < 0 || index >= kImageCount)
        return {};
    QIcon icon;
    for (int size : {kImageSize, 2 * kImageSize})
        icon.addPixmap(QPixmap::fromImage(NivaraIconImage(index, size)));
    return icon;
}

QList<QIcon> ImageList1()
{
    QList<QIcon> icons;
    for (int index = 0; index < kImageCount; ++index)
        icons << NivaraIcon(index);
    return icons;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : kApplicationIconSizes)
        icon.addFile(QStringLiteral(":/icons/%1/ru.nivara.Nivara.png").arg(size), QSize(size, size));
    return icon;
}
