#include "lang/confirmlayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>

using namespace ConfirmGeometry;

namespace {
constexpr QChar Ellipsis(0x2026);
constexpr int Unbounded = 1 << 24;

QStringList Paragraphs(const QString &text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

QString WithoutTrailingSpace(QString line)
{
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    return line;
}

// Appends the lines of paragraph while lines holds fewer than limit; false when some of
// the paragraph was left over.
bool AppendLines(const QFont &font, const QString &paragraph, int width, qsizetype limit,
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
        lines.append(WithoutTrailingSpace(paragraph.mid(line.textStart(), line.textLength())));
    }
    layout.endLayout();
    return complete;
}

// Measured the way a label draws plain text; an empty text still takes one line.
int TextHeight(const QFontMetrics &metrics, const QString &text)
{
    const QRect room(0, 0, Unbounded, Unbounded);
    const QString measured = text.isEmpty() ? QStringLiteral(" ") : text;
    return metrics.boundingRect(room, Qt::AlignLeft | Qt::AlignTop, measured).height();
}

QString WithEllipsis(const QFontMetrics &metrics, QString line, int width)
{
    const QString mark(Ellipsis);
    line = WithoutTrailingSpace(line);
    while (!line.isEmpty() && metrics.horizontalAdvance(line + mark) > width)
        line.chop(line.size() >= 2 && line.back().isLowSurrogate() ? 2 : 1);
    return line + mark;
}
} // namespace

int ConfirmClientHeight(int labelHeight, int panelHeight)
{
    return LabelTop + std::max(labelHeight, IconSize) + GapAbovePanel + panelHeight;
}

int MaxLabelHeight(int workAreaHeight, int panelHeight, int frameAllowance)
{
    return workAreaHeight - frameAllowance - LabelTop - GapAbovePanel - panelHeight;
}

QPoint PlaceNearCursor(const TScreenSpot &spot, QSize dialogSize)
{
    const QPoint cursor = spot.Cursor;
    const QRect &workArea = spot.WorkArea;
    const int areaRight = workArea.x() + workArea.width();
    const int areaBottom = workArea.y() + workArea.height();
    int top = cursor.y() - CursorDistance - dialogSize.height();
    if (top < workArea.y())
        top = cursor.y() + CursorDistance;
    top = std::max(std::min(top, areaBottom - dialogSize.height()), workArea.y());
    // Centred on the cursor; flush with the right edge when that passes it.
    int left = std::min(cursor.x() - dialogSize.width() / 2, areaRight - dialogSize.width());
    // The column stays on top of everything: a dialog under it could not be answered.
    const QRect column = spot.Column;
    if (!column.isNull() && QRect(QPoint(left, top), dialogSize).intersects(column)) {
        const bool columnAtRight = column.center().x() >= workArea.center().x();
        left = columnAtRight ? column.left() - CursorDistance - dialogSize.width()
                             : column.right() + 1 + CursorDistance;
    }
    left = std::max(std::min(left, areaRight - dialogSize.width()), workArea.x());
    return {left, top};
}

TWrappedMessage WrapMessage(const QFont &font, const QString &text, int width, int maxHeight)
{
    const QFontMetrics metrics(font);
    width = std::max(width, 1);
    // A line more than can be shown tells that the text goes on beyond the cut.
    const qsizetype limit = std::max(maxHeight, 0) / std::max(metrics.lineSpacing(), 1) + 2;
    QStringList lines;
    bool cut = false;
    for (const QString &paragraph : Paragraphs(text)) {
        if (!AppendLines(font, paragraph, width, limit, lines)) {
            cut = true;
            break;
        }
    }
    while (lines.size() > 1 && TextHeight(metrics, lines.join(QLatin1Char('\n'))) > maxHeight) {
        lines.removeLast();
        cut = true;
    }
    if (cut)
        lines.last() = WithEllipsis(metrics, lines.last(), width);
    TWrappedMessage wrapped;
    wrapped.Text = lines.join(QLatin1Char('\n'));
    wrapped.Height = TextHeight(metrics, wrapped.Text);
    wrapped.Cut = cut;
    return wrapped;
}
