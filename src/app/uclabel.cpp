#include "uclabel.h"

#include "entrytext.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace {
const QColor HighlightColour(0, 0, 255);

QString TrimmedRight(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}
} // namespace

TUCLabel::TUCLabel(QWidget *parent)
    : QLabel(parent), m_colour(palette().color(QPalette::WindowText))
{
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TranslucentBackground);
    m_textWidth = width();
    FitSize();
}

void TUCLabel::SetCaption(const QString &caption)
{
    m_caption = DisplayText(caption);
    setText(m_caption);
    FitSize();
}

void TUCLabel::SetHint(const QString &hint)
{
    setToolTip(PlainToolTip(DisplayText(hint)));
}

void TUCLabel::SetLines(int lines)
{
    m_lines = qMax(1, lines);
    setWordWrap(m_lines >= 2);
    FitSize();
}

void TUCLabel::SetTextWidth(int width)
{
    m_textWidth = qMax(0, width);
    FitSize();
}

void TUCLabel::SetAutoSize(bool on)
{
    m_autoSize = on;
    FitSize();
}

void TUCLabel::SetAlignment(Qt::Alignment horizontal)
{
    m_alignment = horizontal & Qt::AlignHorizontal_Mask;
    update();
}

void TUCLabel::SetTextColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

void TUCLabel::SetHighlighted(bool on)
{
    m_highlighted = on;
    update();
}

int TUCLabel::OneLineHeight() const
{
    return QFontMetrics(ShownFont()).height();
}

int TUCLabel::MaxHeight() const
{
    const QFontMetrics metrics(ShownFont());
    return (m_lines - 1) * metrics.lineSpacing() + metrics.height();
}

QFont TUCLabel::ShownFont() const
{
    QFont shown = font();
    shown.setUnderline(m_highlighted);
    return shown;
}

QStringList TUCLabel::LinesAt(int width) const
{
    const QFontMetrics metrics(ShownFont());
    if (!wordWrap())
        return {metrics.elidedText(m_caption, Qt::ElideRight, width)};
    QTextLayout layout(m_caption, ShownFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == m_lines - 1) {
            // The last line shown takes the rest of the text, as far as it fits.
            lines << TrimmedRight(
                metrics.elidedText(m_caption.mid(line.textStart()), Qt::ElideRight, width));
            break;
        }
        lines << TrimmedRight(m_caption.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

void TUCLabel::FitSize()
{
    m_shownLines = LinesAt(m_textWidth);
    update();
    if (!m_autoSize) {
        resize(m_textWidth, OneLineHeight());
        return;
    }
    const QFontMetrics metrics(ShownFont());
    int widest = 0;
    for (const QString &line : m_shownLines)
        widest = qMax(widest, metrics.horizontalAdvance(line));
    const int height = int(m_shownLines.size() - 1) * metrics.lineSpacing() + metrics.height();
    resize(qMin(widest, m_textWidth), height);
}

void TUCLabel::DrawLines(QPainter &painter, const QPoint &offset) const
{
    const QFontMetrics metrics(ShownFont());
    int y = offset.y();
    for (const QString &line : m_shownLines) {
        const QRect band(offset.x(), y, width(), metrics.height());
        painter.drawText(band, int(m_alignment | Qt::AlignTop) | Qt::TextSingleLine, line);
        y += metrics.lineSpacing();
    }
}

void TUCLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(ShownFont());
    // A window that is fading takes no input, but its texts keep their look meanwhile.
    if (isEnabledTo(window())) {
        painter.setPen(m_highlighted ? HighlightColour : m_colour);
        DrawLines(painter, QPoint(0, 0));
        return;
    }
    // Disabled text is drawn engraved: a light copy one pixel down and right, then the
    // shadow colour in place.
    painter.setPen(palette().color(QPalette::Light));
    DrawLines(painter, QPoint(1, 1));
    painter.setPen(palette().color(QPalette::Dark));
    DrawLines(painter, QPoint(0, 0));
}

void TUCLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitSize();
}
