#include "ui/main/TImageList.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

using Drawing = std::function<void(QPainter&)>;

// Draws on a 16 x 16 grid, at 16 and 32 pixels, so the picture stays sharp on dense screens.
QIcon Draw(const Drawing& draw)
{
    QIcon icon;
    for (int size : { 16, 32 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPen Outline(const QColor& color, qreal width = 1.0)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Plus(QPainter& p, qreal x, qreal y)
{
    p.setPen(Outline(QColor(0, 110, 0), 2.0));
    p.drawLine(QPointF(x - 2.5, y), QPointF(x + 2.5, y));
    p.drawLine(QPointF(x, y - 2.5), QPointF(x, y + 2.5));
}

void Card(QPainter& p, const QRectF& rect, const QColor& fill)
{
    p.setPen(Outline(QColor(60, 60, 60)));
    p.setBrush(fill);
    p.drawRoundedRect(rect, 1, 1);
}

void DrawExit(QPainter& p)
{
    p.setPen(Outline(QColor(90, 50, 20)));
    p.setBrush(QColor(190, 120, 60));
    p.drawRect(QRectF(2.5, 1.5, 7, 13));
    p.setBrush(QColor(250, 220, 120));
    p.drawEllipse(QPointF(8, 8.5), 0.8, 0.8);
    p.setPen(Outline(QColor(200, 30, 30), 2.0));
    p.drawLine(QPointF(9, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 5.5), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 10.5), QPointF(14.5, 8));
}

void DrawCut(QPainter& p)
{
    p.setPen(Outline(QColor(80, 80, 90), 1.4));
    p.drawLine(QPointF(5.5, 10.5), QPointF(11.5, 1.5));
    p.drawLine(QPointF(10.5, 10.5), QPointF(4.5, 1.5));
    p.setPen(Outline(QColor(180, 20, 20), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
}

void DrawInsertBrother(QPainter& p)
{
    Card(p, QRectF(1.5, 1.5, 9, 4.5), QColor(225, 225, 225));
    Card(p, QRectF(1.5, 9.5, 9, 4.5), QColor(140, 210, 140));
    Plus(p, 13.2, 11.8);
}

void DrawAddChild(QPainter& p)
{
    Card(p, QRectF(0.5, 1.5, 9, 4.5), QColor(225, 225, 225));
    p.setPen(Outline(QColor(60, 60, 60)));
    p.drawLine(QPointF(3, 6), QPointF(3, 11.5));
    p.drawLine(QPointF(3, 11.5), QPointF(5, 11.5));
    Card(p, QRectF(5, 9.5, 7, 4.5), QColor(140, 210, 140));
    Plus(p, 13.5, 4);
}

void DrawCategory(QPainter& p)
{
    const QColor colors[]
        = { QColor(70, 130, 220), QColor(240, 170, 40), QColor(90, 170, 80), QColor(200, 80, 80) };
    for (int i = 0; i < 4; ++i)
        Card(p, QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6), colors[i]);
}

void DrawFolder(QPainter& p, bool open)
{
    p.setPen(Outline(QColor(150, 110, 20)));
    p.setBrush(QColor(240, 200, 90));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(255, 225, 130));
    if (open) {
        p.drawPolygon(
            QPolygonF({ QPointF(4, 7.5), QPointF(15.5, 7.5), QPointF(13, 13.5), QPointF(1.5, 13.5) }));
    } else {
        p.drawRect(QRectF(1.5, 6.5, 13, 7));
    }
}

void DrawRecord(QPainter& p)
{
    p.setPen(Outline(QColor(90, 90, 110)));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({ QPointF(3.5, 1.5), QPointF(9.5, 1.5), QPointF(12.5, 4.5), QPointF(12.5, 14.5),
        QPointF(3.5, 14.5) }));
    p.drawPolyline(QPolygonF({ QPointF(9.5, 1.5), QPointF(9.5, 4.5), QPointF(12.5, 4.5) }));
    p.setPen(Outline(QColor(70, 120, 200)));
    for (qreal y : { 7.0, 9.5, 12.0 })
        p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
}

} // namespace

TImageList TImageList::MainImages()
{
    TImageList list;
    list.FIcons = { QIcon(), QIcon(), QIcon(), QIcon(), Draw(DrawExit), Draw(DrawCut),
        Draw(DrawInsertBrother), Draw(DrawAddChild), Draw(DrawCategory) };
    return list;
}

TImageList TImageList::TreeImages()
{
    TImageList list;
    list.FIcons = { Draw([](QPainter& p) { DrawFolder(p, false); }),
        Draw([](QPainter& p) { DrawFolder(p, true); }), Draw(DrawRecord) };
    return list;
}
