#include "lang/confirmicons.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace {
const QColor blue(0x2F, 0x6F, 0xB5);
const QColor darkBlue(0x1F, 0x4E, 0x85);
const QColor green(0x3A, 0x9A, 0x3A);
const QColor red(0xC8, 0x37, 0x2D);
const QColor yellow(0xF2, 0xC9, 0x4C);
const QColor amber(0xC9, 0x8A, 0x1B);
const QColor grey(0x6B, 0x72, 0x80);
const QColor lightGrey(0xD8, 0xDC, 0xE2);
const QColor paper(0xFF, 0xFF, 0xFF);

QPen outline(const QColor &colour, qreal width = 1.5)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A round badge with one bold sign in it: the information, question and error pictures.
void drawBadge(QPainter &p, const QColor &colour, const QString &sign)
{
    p.setPen(outline(colour.darker(130)));
    p.setBrush(colour);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    QFont font(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    font.setPixelSize(21);
    font.setBold(true);
    p.setFont(font);
    p.setPen(paper);
    p.drawText(QRectF(2.5, 2.5, 27, 27), Qt::AlignCenter, sign);
}

void drawArrowHead(QPainter &p, QPointF tip, QPointF back1, QPointF back2, const QColor &c)
{
    p.setPen(outline(c, 1));
    p.setBrush(c);
    p.drawPolygon(QPolygonF({tip, back1, back2}));
}

void drawPocketView(QPainter &p)
{
    p.setPen(outline(darkBlue));
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(5.5, 4.5, 21, 23), 2, 2);
    p.setBrush(blue);
    p.drawRect(QRectF(5.5, 4.5, 21, 5));
    p.setPen(outline(grey, 2));
    for (qreal y : {14.0, 18.5, 23.0})
        p.drawLine(QPointF(9.5, y), QPointF(22.5, y));
}

void drawKeep(QPainter &p)
{
    p.setPen(outline(green.darker(130)));
    p.setBrush(green);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setPen(outline(paper, 3.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(9, 16.5), QPointF(14, 21.5), QPointF(23, 11)}));
}

void drawRemind(QPainter &p)
{
    p.setPen(outline(red.darker(120)));
    p.setBrush(red);
    p.drawEllipse(QRectF(3.5, 3.5, 8, 8));
    p.drawEllipse(QRectF(20.5, 3.5, 8, 8));
    p.setPen(outline(grey, 2));
    p.drawLine(QPointF(9, 27), QPointF(7, 30));
    p.drawLine(QPointF(23, 27), QPointF(25, 30));
    p.setPen(outline(darkBlue, 2));
    p.setBrush(paper);
    p.drawEllipse(QRectF(5, 6, 22, 22));
    p.setPen(outline(darkBlue, 2));
    p.drawLine(QPointF(16, 17), QPointF(16, 10.5));
    p.drawLine(QPointF(16, 17), QPointF(20.5, 20));
}

void drawDelete(QPainter &p)
{
    p.setPen(outline(grey.darker(140)));
    p.setBrush(lightGrey);
    p.drawRoundedRect(QRectF(12.5, 3.5, 7, 3), 1, 1);
    p.drawRoundedRect(QRectF(5.5, 6.5, 21, 4), 1.5, 1.5);
    QPainterPath body;
    body.moveTo(7.5, 10.5);
    body.lineTo(24.5, 10.5);
    body.lineTo(22.5, 28.5);
    body.lineTo(9.5, 28.5);
    body.closeSubpath();
    p.setBrush(grey);
    p.drawPath(body);
    p.setPen(outline(lightGrey, 1.5));
    for (qreal x : {12.5, 16.0, 19.5})
        p.drawLine(QPointF(x, 13.5), QPointF(x, 25.5));
}

void drawWebLink(QPainter &p)
{
    const QRectF globe(3.5, 3.5, 25, 25);
    p.setPen(outline(darkBlue));
    p.setBrush(blue);
    p.drawEllipse(globe);
    p.setPen(outline(paper, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(10, 3.5, 12, 25));
    p.drawLine(QPointF(16, 3.5), QPointF(16, 28.5));
    p.drawLine(QPointF(3.5, 16), QPointF(28.5, 16));
    p.drawLine(QPointF(6, 10), QPointF(26, 10));
    p.drawLine(QPointF(6, 22), QPointF(26, 22));
}

void drawHomepage(QPainter &p)
{
    p.setPen(outline(amber.darker(130)));
    p.setBrush(QColor(0xF6, 0xE7, 0xC1));
    p.drawRect(QRectF(7.5, 15.5, 17, 13));
    p.setPen(outline(red.darker(130)));
    p.setBrush(red);
    p.drawPolygon(QPolygonF({QPointF(3, 16.5), QPointF(16, 4), QPointF(29, 16.5)}));
    p.setPen(outline(darkBlue, 1));
    p.setBrush(blue);
    p.drawRect(QRectF(13.5, 20.5, 5, 8));
}

void drawInformation(QPainter &p)
{
    drawBadge(p, blue, QStringLiteral("i"));
}

void drawWarning(QPainter &p)
{
    p.setPen(outline(amber, 2));
    p.setBrush(yellow);
    p.drawPolygon(QPolygonF({QPointF(16, 3.5), QPointF(29.5, 27.5), QPointF(2.5, 27.5)}));
    p.setPen(outline(QColor(0x33, 0x33, 0x33), 3));
    p.drawLine(QPointF(16, 11.5), QPointF(16, 19));
    p.drawPoint(QPointF(16, 23.5));
}

void drawError(QPainter &p)
{
    p.setPen(outline(red.darker(130)));
    p.setBrush(red);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setPen(outline(paper, 3.5));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

void drawQuit(QPainter &p)
{
    drawBadge(p, blue, QStringLiteral("?"));
}

void drawHide(QPainter &p)
{
    QPainterPath eye;
    eye.moveTo(2.5, 16);
    eye.quadTo(16, 3, 29.5, 16);
    eye.quadTo(16, 29, 2.5, 16);
    p.setPen(outline(darkBlue));
    p.setBrush(paper);
    p.drawPath(eye);
    p.setBrush(blue);
    p.drawEllipse(QRectF(11, 11, 10, 10));
    p.setPen(outline(red, 3));
    p.drawLine(QPointF(5, 27), QPointF(27, 5));
}

void drawPutBack(QPainter &p)
{
    p.setPen(outline(grey.darker(130)));
    p.setBrush(lightGrey);
    p.drawPolygon(QPolygonF({QPointF(3.5, 20.5), QPointF(10.5, 20.5), QPointF(12.5, 23.5),
                             QPointF(19.5, 23.5), QPointF(21.5, 20.5), QPointF(28.5, 20.5),
                             QPointF(28.5, 28.5), QPointF(3.5, 28.5)}));
    QPainterPath arrow;
    arrow.moveTo(24, 4);
    arrow.cubicTo(24, 12, 16, 8, 16, 15);
    p.setPen(outline(green, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    drawArrowHead(p, QPointF(16, 21), QPointF(11, 14), QPointF(21, 14), green);
}

// One half of the refresh circle: an arc of 150 degrees ending in an arrow head.
void drawRefreshHalf(QPainter &p, int startDegrees, QPointF tip, QPointF back1, QPointF back2)
{
    p.setPen(outline(green, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5, 22, 22), startDegrees * 16, 150 * 16);
    drawArrowHead(p, tip, back1, back2, green);
}

void drawRefresh(QPainter &p)
{
    drawRefreshHalf(p, 20, QPointF(5, 20), QPointF(1, 13), QPointF(10, 14));
    drawRefreshHalf(p, 200, QPointF(27, 12), QPointF(31, 19), QPointF(22, 18));
}

void drawEmptyFolder(QPainter &p)
{
    p.setPen(outline(amber.darker(120)));
    p.setBrush(amber);
    p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(12.5, 7.5), QPointF(15, 10.5),
                             QPointF(27.5, 10.5), QPointF(27.5, 26.5), QPointF(3.5, 26.5)}));
    p.setBrush(yellow);
    p.drawPolygon(QPolygonF(
        {QPointF(7.5, 14.5), QPointF(30.5, 14.5), QPointF(27.5, 26.5), QPointF(3.5, 26.5)}));
}

void drawSuggest(QPainter &p)
{
    QPainterPath bulb;
    bulb.moveTo(12, 21);
    bulb.cubicTo(4, 15, 7, 3, 16, 3);
    bulb.cubicTo(25, 3, 28, 15, 20, 21);
    bulb.closeSubpath();
    p.setPen(outline(amber));
    p.setBrush(yellow);
    p.drawPath(bulb);
    p.setPen(outline(grey.darker(130)));
    p.setBrush(lightGrey);
    p.drawRoundedRect(QRectF(11.5, 21.5, 9, 6), 1.5, 1.5);
    p.setPen(outline(grey, 1.2));
    p.drawLine(QPointF(12, 24.5), QPointF(20, 24.5));
    p.setPen(outline(grey.darker(130), 2));
    p.drawLine(QPointF(14, 29.5), QPointF(18, 29.5));
}

using DrawIcon = void (*)(QPainter &);
constexpr std::array<DrawIcon, confirmIconCount> drawings = {
    drawPocketView, drawKeep,        drawRemind,  drawDelete,      drawWebLink,
    drawHomepage,   drawInformation, drawWarning, drawError,       drawQuit,
    drawHide,       drawPutBack,     drawRefresh, drawEmptyFolder, drawSuggest};
} // namespace

QImage confirmIcon(int index)
{
    if (index < 0 || index >= confirmIconCount)
        return {};
    QImage image(confirmIconSize, confirmIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawings[static_cast<size_t>(index)](painter);
    return image;
}
