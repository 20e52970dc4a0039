#include "uclabel.h"

#include "entrytext.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace {
const QColor highlightColour(0, 0, 255);

QString trimmedRight(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}
} // namespace

TextLabel::TextLabel(QWidget *parent)
    : QLabel(parent), m_colour(palette().color(QPalette::WindowText))
{
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TranslucentBackground);
    m_textWidth = width();
    fitSize();
}

void TextLabel::setCaption(const QString &caption)
{
    m_caption = displayText(caption);
    setText(m_caption);
    fitSize();
}

void TextLabel::setHint(const QString &hint)
{
    setToolTip(plainToolTip(displayText(hint)));
}

void TextLabel::setLines(int lines)
{
    m_lines = qMax(1, lines);
    setWordWrap(m_lines >= 2);
    fitSize();
}

void TextLabel::setTextWidth(int width)
{
    m_textWidth = qMax(0, width);
    fitSize();
}

void TextLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    fitSize();
}

void TextLabel::setAlignment(Qt::Alignment horizontal)
{
    m_alignment = horizontal & Qt::AlignHorizontal_Mask;
    update();
}

void TextLabel::setTextColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

void TextLabel::setHighlighted(bool on)
{
    m_highlighted = on;
    update();
}

int TextLabel::oneLineHeight() const
{
    return QFontMetrics(shownFont()).height();
}

int TextLabel::maxHeight() const
{
    const QFontMetrics metrics(shownFont());
    return (m_lines - 1) * metrics.lineSpacing() + metrics.height();
}

QFont TextLabel::shownFont() const
{
    QFont shown = font();
    shown.setUnderline(m_highlighted);
    return shown;
}

QStringList TextLabel::linesAt(int width) const
{
    const QFontMetrics metrics(shownFont());
    if (!wordWrap())
        return {metrics.elidedText(m_caption, Qt::ElideRight, width)};
    QTextLayout layout(m_caption, shownFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == m_lines - 1) {
            // The last line shown takes the rest of the text, as far as it fits.
            lines << trimmedRight(
                metrics.elidedText(m_caption.mid(line.textStart()), Qt::ElideRight, width));
            break;
        }
        lines << trimmedRight(m_caption.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

void TextLabel::fitSize()
{
    m_shownLines = linesAt(m_textWidth);
    update();
    if (!m_autoSize) {
        resize(m_textWidth, oneLineHeight());
        return;
    }
    const QFontMetrics metrics(shownFont());
    int widest = 0;
    for (const QString &line : m_shownLines)
        widest = qMax(widest, metrics.horizontalAdvance(line));
    const int height = int(m_shownLines.size() - 1) * metrics.lineSpacing() + metrics.height();
    resize(qMin(widest, m_textWidth), height);
}

void TextLabel::drawLines(QPainter &painter, const QPoint &offset) const
{
    const QFontMetrics metrics(shownFont());
    int y = offset.y();
    for (const QString &line : m_shownLines) {
        const QRect band(offset.x(), y, width(), metrics.height());
        painter.drawText(band, int(m_alignment | Qt::AlignTop) | Qt::TextSingleLine, line);
        y += metrics.lineSpacing();
    }
}

void TextLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(shownFont());
    // A window that is fading takes no input, but its texts keep their look meanwhile.
    if (isEnabledTo(window())) {
        painter.setPen(m_highlighted ? highlightColour : m_colour);
        drawLines(painter, QPoint(0, 0));
        return;
    }
    // Disabled text is drawn engraved: a light copy one pixel down and right, then the
    // shadow colour in place.
    painter.setPen(palette().color(QPalette::Light));
    drawLines(painter, QPoint(1, 1));
    painter.setPen(palette().color(QPalette::Dark));
    drawLines(painter, QPoint(0, 0));
}

void TextLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitSize();
}
