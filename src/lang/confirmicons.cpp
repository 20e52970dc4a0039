#include "lang/confirmicons.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace {
const QColor Blue(0x2F, 0x6F, 0xB5);
const QColor DarkBlue(0x1F, 0x4E, 0x85);
const QColor Green(0x3A, 0x9A, 0x3A);
const QColor Red(0xC8, 0x37, 0x2D);
const QColor Yellow(0xF2, 0xC9, 0x4C);
const QColor Amber(0xC9, 0x8A, 0x1B);
const QColor Grey(0x6B, 0x72, 0x80);
const QColor LightGrey(0xD8, 0xDC, 0xE2);
const QColor Paper(0xFF, 0xFF, 0xFF);

QPen Outline(const QColor &colour, qreal width = 1.5)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A round badge with one bold sign in it: the information, question and error pictures.
void DrawBadge(QPainter &p, const QColor &colour, const QString &sign)
{
    p.setPen(Outline(colour.darker(130)));
    p.setBrush(colour);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    QFont font(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    font.setPixelSize(21);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Paper);
    p.drawText(QRectF(2.5, 2.5, 27, 27), Qt::AlignCenter, sign);
}

void DrawArrowHead(QPainter &p, QPointF tip, QPointF back1, QPointF back2, const QColor &c)
{
    p.setPen(Outline(c, 1));
    p.setBrush(c);
    p.drawPolygon(QPolygonF({tip, back1, back2}));
}

void DrawPocketView(QPainter &p)
{
    p.setPen(Outline(DarkBlue));
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(5.5, 4.5, 21, 23), 2, 2);
    p.setBrush(Blue);
    p.drawRect(QRectF(5.5, 4.5, 21, 5));
    p.setPen(Outline(Grey, 2));
    for (qreal y : {14.0, 18.5, 23.0})
        p.drawLine(QPointF(9.5, y), QPointF(22.5, y));
}

void DrawKeep(QPainter &p)
{
    p.setPen(Outline(Green.darker(130)));
    p.setBrush(Green);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setPen(Outline(Paper, 3.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(9, 16.5), QPointF(14, 21.5), QPointF(23, 11)}));
}

void DrawRemind(QPainter &p)
{
    p.setPen(Outline(Red.darker(120)));
    p.setBrush(Red);
    p.drawEllipse(QRectF(3.5, 3.5, 8, 8));
    p.drawEllipse(QRectF(20.5, 3.5, 8, 8));
    p.setPen(Outline(Grey, 2));
    p.drawLine(QPointF(9, 27), QPointF(7, 30));
    p.drawLine(QPointF(23, 27), QPointF(25, 30));
    p.setPen(Outline(DarkBlue, 2));
    p.setBrush(Paper);
    p.drawEllipse(QRectF(5, 6, 22, 22));
    p.setPen(Outline(DarkBlue, 2));
    p.drawLine(QPointF(16, 17), QPointF(16, 10.5));
    p.drawLine(QPointF(16, 17), QPointF(20.5, 20));
}

void DrawDelete(QPainter &p)
{
    p.setPen(Outline(Grey.darker(140)));
    p.setBrush(LightGrey);
    p.drawRoundedRect(QRectF(12.5, 3.5, 7, 3), 1, 1);
    p.drawRoundedRect(QRectF(5.5, 6.5, 21, 4), 1.5, 1.5);
    QPainterPath body;
    body.moveTo(7.5, 10.5);
    body.lineTo(24.5, 10.5);
    body.lineTo(22.5, 28.5);
    body.lineTo(9.5, 28.5);
    body.closeSubpath();
    p.setBrush(Grey);
    p.drawPath(body);
    p.setPen(Outline(LightGrey, 1.5));
    for (qreal x : {12.5, 16.0, 19.5})
        p.drawLine(QPointF(x, 13.5), QPointF(x, 25.5));
}

void DrawWebLink(QPainter &p)
{
    const QRectF globe(3.5, 3.5, 25, 25);
    p.setPen(Outline(DarkBlue));
    p.setBrush(Blue);
    p.drawEllipse(globe);
    p.setPen(Outline(Paper, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(10, 3.5, 12, 25));
    p.drawLine(QPointF(16, 3.5), QPointF(16, 28.5));
    p.drawLine(QPointF(3.5, 16), QPointF(28.5, 16));
    p.drawLine(QPointF(6, 10), QPointF(26, 10));
    p.drawLine(QPointF(6, 22), QPointF(26, 22));
}

void DrawHomepage(QPainter &p)
{
    p.setPen(Outline(Amber.darker(130)));
    p.setBrush(QColor(0xF6, 0xE7, 0xC1));
    p.drawRect(QRectF(7.5, 15.5, 17, 13));
    p.setPen(Outline(Red.darker(130)));
    p.setBrush(Red);
    p.drawPolygon(QPolygonF({QPointF(3, 16.5), QPointF(16, 4), QPointF(29, 16.5)}));
    p.setPen(Outline(DarkBlue, 1));
    p.setBrush(Blue);
    p.drawRect(QRectF(13.5, 20.5, 5, 8));
}

void DrawInformation(QPainter &p)
{
    DrawBadge(p, Blue, QStringLiteral("i"));
}

void DrawWarning(QPainter &p)
{
    p.setPen(Outline(Amber, 2));
    p.setBrush(Yellow);
    p.drawPolygon(QPolygonF({QPointF(16, 3.5), QPointF(29.5, 27.5), QPointF(2.5, 27.5)}));
    p.setPen(Outline(QColor(0x33, 0x33, 0x33), 3));
    p.drawLine(QPointF(16, 11.5), QPointF(16, 19));
    p.drawPoint(QPointF(16, 23.5));
}

void DrawError(QPainter &p)
{
    p.setPen(Outline(Red.darker(130)));
    p.setBrush(Red);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setPen(Outline(Paper, 3.5));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

void DrawQuit(QPainter &p)
{
    DrawBadge(p, Blue, QStringLiteral("?"));
}

void DrawHide(QPainter &p)
{
    QPainterPath eye;
    eye.moveTo(2.5, 16);
    eye.quadTo(16, 3, 29.5, 16);
    eye.quadTo(16, 29, 2.5, 16);
    p.setPen(Outline(DarkBlue));
    p.setBrush(Paper);
    p.drawPath(eye);
    p.setBrush(Blue);
    p.drawEllipse(QRectF(11, 11, 10, 10));
    p.setPen(Outline(Red, 3));
    p.drawLine(QPointF(5, 27), QPointF(27, 5));
}

void DrawPutBack(QPainter &p)
{
    p.setPen(Outline(Grey.darker(130)));
    p.setBrush(LightGrey);
    p.drawPolygon(QPolygonF({QPointF(3.5, 20.5), QPointF(10.5, 20.5), QPointF(12.5, 23.5),
                             QPointF(19.5, 23.5), QPointF(21.5, 20.5), QPointF(28.5, 20.5),
                             QPointF(28.5, 28.5), QPointF(3.5, 28.5)}));
    QPainterPath arrow;
    arrow.moveTo(24, 4);
    arrow.cubicTo(24, 12, 16, 8, 16, 15);
    p.setPen(Outline(Green, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    DrawArrowHead(p, QPointF(16, 21), QPointF(11, 14), QPointF(21, 14), Green);
}

// One half of the refresh circle: an arc of 150 degrees ending in an arrow head.
void DrawRefreshHalf(QPainter &p, int startDegrees, QPointF tip, QPointF back1, QPointF back2)
{
    p.setPen(Outline(Green, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5, 22, 22), startDegrees * 16, 150 * 16);
    DrawArrowHead(p, tip, back1, back2, Green);
}

void DrawRefresh(QPainter &p)
{
    DrawRefreshHalf(p, 20, QPointF(5, 20), QPointF(1, 13), QPointF(10, 14));
    DrawRefreshHalf(p, 200, QPointF(27, 12), QPointF(31, 19), QPointF(22, 18));
}

void DrawEmptyFolder(QPainter &p)
{
    p.setPen(Outline(Amber.darker(120)));
    p.setBrush(Amber);
    p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(12.5, 7.5), QPointF(15, 10.5),
                             QPointF(27.5, 10.5), QPointF(27.5, 26.5), QPointF(3.5, 26.5)}));
    p.setBrush(Yellow);
    p.drawPolygon(QPolygonF(
        {QPointF(7.5, 14.5), QPointF(30.5, 14.5), QPointF(27.5, 26.5), QPointF(3.5, 26.5)}));
}

void DrawSuggest(QPainter &p)
{
    QPainterPath bulb;
    bulb.moveTo(12, 21);
    bulb.cubicTo(4, 15, 7, 3, 16, 3);
    bulb.cubicTo(25, 3, 28, 15, 20, 21);
    bulb.closeSubpath();
    p.setPen(Outline(Amber));
    p.setBrush(Yellow);
    p.drawPath(bulb);
    p.setPen(Outline(Grey.darker(130)));
    p.setBrush(LightGrey);
    p.drawRoundedRect(QRectF(11.5, 21.5, 9, 6), 1.5, 1.5);
    p.setPen(Outline(Grey, 1.2));
    p.drawLine(QPointF(12, 24.5), QPointF(20, 24.5));
    p.setPen(Outline(Grey.darker(130), 2));
    p.drawLine(QPointF(14, 29.5), QPointF(18, 29.5));
}

using TDrawIcon = void (*)(QPainter &);
constexpr std::array<TDrawIcon, ConfirmIconCount> Drawings = {
    DrawPocketView, DrawKeep,        DrawRemind,  DrawDelete,      DrawWebLink,
    DrawHomepage,   DrawInformation, DrawWarning, DrawError,       DrawQuit,
    DrawHide,       DrawPutBack,     DrawRefresh, DrawEmptyFolder, DrawSuggest};
} // namespace

QImage ConfirmIcon(int index)
{
    if (index < 0 || index >= ConfirmIconCount)
        return {};
    QImage image(ConfirmIconSize, ConfirmIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Drawings[static_cast<size_t>(index)](painter);
    return image;
}
