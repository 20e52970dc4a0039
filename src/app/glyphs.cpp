#include "glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace {
constexpr int glyphSize = 16;
const QColor ink(0x20, 0x20, 0x20);

QPen stroke(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A five-pointed star: the subject area has a collection of good links.
void drawSuggest(QPainter &p)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? 7.5 : 3.2;
        const qreal angle = qDegreesToRadians(-90.0 + 36.0 * i);
        star << QPointF(8 + radius * qCos(angle), 8.5 + radius * qSin(angle));
    }
    p.setPen(stroke(QColor(0x9A, 0x6A, 0x00), 1));
    p.setBrush(QColor(0xFF, 0xC8, 0x1E));
    p.drawPolygon(star);
}

void drawKeep(QPainter &p)
{
    p.setPen(stroke(QColor(0x1E, 0x8C, 0x2D), 2.6));
    p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
}

void drawClockFace(QPainter &p, const QColor &rim)
{
    p.setPen(stroke(rim, 1.4));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 6.3, 6.3);
}

void drawRemind(QPainter &p)
{
    drawClockFace(p, QColor(0x1F, 0x4E, 0xA8));
    p.setPen(stroke(ink, 1.4));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void drawDelete(QPainter &p)
{
    p.setPen(stroke(QColor(0xC0, 0x20, 0x20), 2.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

// An almost closed circle with an arrow head at its open end.
void drawRefresh(QPainter &p)
{
    const QColor green(0x1E, 0x8C, 0x2D);
    p.setPen(stroke(green, 1.8));
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawPolygon(QPolygonF({QPointF(9.5, 0.5), QPointF(14.5, 3.5), QPointF(9.5, 6.5)}));
}

void drawSetup(QPainter &p)
{
    const QColor steel(0x5A, 0x62, 0x70);
    p.setPen(Qt::NoPen);
    p.setBrush(steel);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(8, 8);
        p.rotate(45.0 * i);
        p.drawRect(QRectF(-1.6, -7.5, 3.2, 4));
        p.restore();
    }
    p.drawEllipse(QPointF(8, 8), 5, 5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 2, 2);
}

// A letter in a blue disc, for help and information.
void drawLetterDisc(QPainter &p, const QString &letter)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1F, 0x4E, 0xA8));
    p.drawEllipse(QPointF(8, 8), 7.5, 7.5);
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, glyphSize, glyphSize), Qt::AlignCenter, letter);
}

void drawHome(QPainter &p)
{
    p.setPen(stroke(QColor(0x7A, 0x2E, 0x10), 1.2));
    p.setBrush(QColor(0xD8, 0x4A, 0x2A));
    p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(8, 1.5), QPointF(14.5, 8)}));
    p.setBrush(QColor(0xF4, 0xE4, 0xC0));
    p.drawRect(QRectF(3.5, 8, 9, 6.5));
    p.setBrush(QColor(0x7A, 0x2E, 0x10));
    p.drawRect(QRectF(7, 10, 2.5, 4.5));
}

// The power sign: a broken circle with a bar through its gap.
void drawQuit(QPainter &p)
{
    p.setPen(stroke(QColor(0xC0, 0x20, 0x20), 2));
    p.drawArc(QRectF(2.5, 3, 11, 11), 125 * 16, 290 * 16);
    p.drawLine(QPointF(8, 1.5), QPointF(8, 8));
}

// A bar with an arrow pointing down to it: put the windows away.
void drawHide(QPainter &p)
{
    p.setPen(stroke(ink, 1.8));
    p.drawLine(QPointF(3, 14), QPointF(13, 14));
    p.drawLine(QPointF(8, 2.5), QPointF(8, 10));
    p.drawPolyline(QPolygonF({QPointF(4.5, 7), QPointF(8, 10.5), QPointF(11.5, 7)}));
}

void draw(QPainter &p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::Suggest:
        return drawSuggest(p);
    case Glyph::Keep:
        return drawKeep(p);
    case Glyph::Remind:
        return drawRemind(p);
    case Glyph::Delete:
        return drawDelete(p);
    case Glyph::Refresh:
        return drawRefresh(p);
    case Glyph::Setup:
        return drawSetup(p);
    case Glyph::Help:
        return drawLetterDisc(p, QStringLiteral("?"));
    case Glyph::Info:
        return drawLetterDisc(p, QStringLiteral("i"));
    case Glyph::Home:
        return drawHome(p);
    case Glyph::Quit:
        return drawQuit(p);
    case Glyph::Hide:
        return drawHide(p);
    }
}
} // namespace

QIcon glyphIcon(Glyph glyph)
{
    QPixmap pixmap(glyphSize, glyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, glyph);
    painter.end();
    return QIcon(pixmap);
}
