#include "lang/confirmlayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>

using namespace confirm_geometry;

namespace {
constexpr QChar ellipsis(0x2026);
constexpr int unbounded = 1 << 24;

QStringList paragraphs(const QString &text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

QString withoutTrailingSpace(QString line)
{
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    return line;
}

// Appends the lines of paragraph while lines holds fewer than limit; false when some of
// the paragraph was left over.
bool appendLines(const QFont &font, const QString &paragraph, int width, qsizetype limit,
                 QStringList &lines)
{
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    bool complete = true;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (lines.size() >= limit) {
            complete = false;
            break;
        }
        line.setLineWidth(width);
        lines.append(withoutTrailingSpace(paragraph.mid(line.textStart(), line.textLength())));
    }
    layout.endLayout();
    return complete;
}

// Measured the way a label draws plain text; an empty text still takes one line.
int textHeight(const QFontMetrics &metrics, const QString &text)
{
    const QRect room(0, 0, unbounded, unbounded);
    const QString measured = text.isEmpty() ? QStringLiteral(" ") : text;
    return metrics.boundingRect(room, Qt::AlignLeft | Qt::AlignTop, measured).height();
}

QString withEllipsis(const QFontMetrics &metrics, QString line, int width)
{
    const QString mark(ellipsis);
    line = withoutTrailingSpace(line);
    while (!line.isEmpty() && metrics.horizontalAdvance(line + mark) > width)
        line.chop(line.size() >= 2 && line.back().isLowSurrogate() ? 2 : 1);
    return line + mark;
}
} // namespace

int confirmClientHeight(int labelHeight, int panelHeight)
{
    return labelTop + std::max(labelHeight, iconSize) + gapAbovePanel + panelHeight;
}

int maxLabelHeight(int workAreaHeight, int panelHeight, int frameAllowance)
{
    return workAreaHeight - frameAllowance - labelTop - gapAbovePanel - panelHeight;
}

QPoint placeNearCursor(const ScreenSpot &spot, QSize dialogSize)
{
    const QPoint cursor = spot.cursor;
    const QRect &workArea = spot.workArea;
    const int areaRight = workArea.x() + workArea.width();
    const int areaBottom = workArea.y() + workArea.height();
    int top = cursor.y() - cursorDistance - dialogSize.height();
    if (top < workArea.y())
        top = cursor.y() + cursorDistance;
    top = std::max(std::min(top, areaBottom - dialogSize.height()), workArea.y());
    // Centred on the cursor; flush with the right edge when that passes it.
    int left = std::min(cursor.x() - dialogSize.width() / 2, areaRight - dialogSize.width());
    // The column stays on top of everything: a dialog under it could not be answered.
    const QRect column = spot.column;
    if (!column.isNull() && QRect(QPoint(left, top), dialogSize).intersects(column)) {
        const bool columnAtRight = column.center().x() >= workArea.center().x();
        left = columnAtRight ? column.left() - cursorDistance - dialogSize.width()
                             : column.right() + 1 + cursorDistance;
    }
    left = std::max(std::min(left, areaRight - dialogSize.width()), workArea.x());
    return {left, top};
}

WrappedMessage wrapMessage(const QFont &font, const QString &text, int width, int maxHeight)
{
    const QFontMetrics metrics(font);
    width = std::max(width, 1);
    // A line more than can be shown tells that the text goes on beyond the cut.
    const qsizetype limit = std::max(maxHeight, 0) / std::max(metrics.lineSpacing(), 1) + 2;
    QStringList lines;
    bool cut = false;
    for (const QString &paragraph : paragraphs(text)) {
        if (!appendLines(font, paragraph, width, limit, lines)) {
            cut = true;
            break;
        }
    }
    while (lines.size() > 1 && textHeight(metrics, lines.join(QLatin1Char('\n'))) > maxHeight) {
        lines.removeLast();
        cut = true;
    }
    if (cut)
        lines.last() = withEllipsis(metrics, lines.last(), width);
    WrappedMessage wrapped;
    wrapped.text = lines.join(QLatin1Char('\n'));
    wrapped.height = textHeight(metrics, wrapped.text);
    wrapped.cut = cut;
    return wrapped;
}
