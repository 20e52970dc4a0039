#include "glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace {
constexpr int GlyphSize = 16;
const QColor Ink(0x20, 0x20, 0x20);

QPen Stroke(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A five-pointed star: the subject area has a collection of good links.
void DrawSuggest(QPainter &p)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? 7.5 : 3.2;
        const qreal angle = qDegreesToRadians(-90.0 + 36.0 * i);
        star << QPointF(8 + radius * qCos(angle), 8.5 + radius * qSin(angle));
    }
    p.setPen(Stroke(QColor(0x9A, 0x6A, 0x00), 1));
    p.setBrush(QColor(0xFF, 0xC8, 0x1E));
    p.drawPolygon(star);
}

void DrawKeep(QPainter &p)
{
    p.setPen(Stroke(QColor(0x1E, 0x8C, 0x2D), 2.6));
    p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
}

void DrawClockFace(QPainter &p, const QColor &rim)
{
    p.setPen(Stroke(rim, 1.4));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 6.3, 6.3);
}

void DrawRemind(QPainter &p)
{
    DrawClockFace(p, QColor(0x1F, 0x4E, 0xA8));
    p.setPen(Stroke(Ink, 1.4));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void DrawDelete(QPainter &p)
{
    p.setPen(Stroke(QColor(0xC0, 0x20, 0x20), 2.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

// An almost closed circle with an arrow head at its open end.
void DrawRefresh(QPainter &p)
{
    const QColor green(0x1E, 0x8C, 0x2D);
    p.setPen(Stroke(green, 1.8));
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawPolygon(QPolygonF({QPointF(9.5, 0.5), QPointF(14.5, 3.5), QPointF(9.5, 6.5)}));
}

void DrawSetup(QPainter &p)
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
void DrawLetterDisc(QPainter &p, const QString &letter)
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
    p.drawText(QRectF(0, 0, GlyphSize, GlyphSize), Qt::AlignCenter, letter);
}

void DrawHome(QPainter &p)
{
    p.setPen(Stroke(QColor(0x7A, 0x2E, 0x10), 1.2));
    p.setBrush(QColor(0xD8, 0x4A, 0x2A));
    p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(8, 1.5), QPointF(14.5, 8)}));
    p.setBrush(QColor(0xF4, 0xE4, 0xC0));
    p.drawRect(QRectF(3.5, 8, 9, 6.5));
    p.setBrush(QColor(0x7A, 0x2E, 0x10));
    p.drawRect(QRectF(7, 10, 2.5, 4.5));
}

// The power sign: a broken circle with a bar through its gap.
void DrawQuit(QPainter &p)
{
    p.setPen(Stroke(QColor(0xC0, 0x20, 0x20), 2));
    p.drawArc(QRectF(2.5, 3, 11, 11), 125 * 16, 290 * 16);
    p.drawLine(QPointF(8, 1.5), QPointF(8, 8));
}

// A bar with an arrow pointing down to it: put the windows away.
void DrawHide(QPainter &p)
{
    p.setPen(Stroke(Ink, 1.8));
    p.drawLine(QPointF(3, 14), QPointF(13, 14));
    p.drawLine(QPointF(8, 2.5), QPointF(8, 10));
    p.drawPolyline(QPolygonF({QPointF(4.5, 7), QPointF(8, 10.5), QPointF(11.5, 7)}));
}

void Draw(QPainter &p, TGlyph glyph)
{
    switch (glyph) {
    case TGlyph::Suggest:
        return DrawSuggest(p);
    case TGlyph::Keep:
        return DrawKeep(p);
    case TGlyph::Remind:
        return DrawRemind(p);
    case TGlyph::Delete:
        return DrawDelete(p);
    case TGlyph::Refresh:
        return DrawRefresh(p);
    case TGlyph::Setup:
        return DrawSetup(p);
    case TGlyph::Help:
        return DrawLetterDisc(p, QStringLiteral("?"));
    case TGlyph::Info:
        return DrawLetterDisc(p, QStringLiteral("i"));
    case TGlyph::Home:
        return DrawHome(p);
    case TGlyph::Quit:
        return DrawQuit(p);
    case TGlyph::Hide:
        return DrawHide(p);
    }
}
} // namespace

QIcon GlyphIcon(TGlyph glyph)
{
    QPixmap pixmap(GlyphSize, GlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, glyph);
    painter.end();
    return QIcon(pixmap);
}
