#pragma once

#include <QLabel>

// A label for texts from bookmarks and pages: always plain text ("&" and markup show as
// they stand), wrapped within its text width and cut after a number of lines. It lays out
// and paints its own text, so that what is measured is exactly what is drawn.
class TextLabel final : public QLabel
{
    Q_OBJECT

  public:
    explicit TextLabel(QWidget *parent);

    QString caption() const { return m_caption; }
    // Stores the text as DisplayText makes it and, with auto-size on, fits the label to it.
    void setCaption(const QString &caption);
    void setHint(const QString &hint); // shown literally

    // At most lines lines are shown; two or more lines wrap the text.
    void setLines(int lines);
    int lines() const { return m_lines; }
    // The width the text is laid out in; an auto-sized label is at most this wide.
    void setTextWidth(int width);
    // On: the label takes the size of its text (at least one line). Off: it keeps the text
    // width and the height of one line.
    void setAutoSize(bool on);
    void setAlignment(Qt::Alignment horizontal);

    void setTextColour(const QColor &colour);
    QColor textColour() const { return m_colour; }
    // The hover look of a clickable entry: blue and underlined.
    void setHighlighted(bool on);
    bool highlighted() const { return m_highlighted; }

    int oneLineHeight() const;
    int maxHeight() const;
    // The lines as drawn: at most Lines, and a cut text ends in an ellipsis.
    const QStringList &shownLines() const { return m_shownLines; }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    QFont shownFont() const;
    QStringList linesAt(int width) const;
    void drawLines(QPainter &painter, const QPoint &offset) const;
    void fitSize();

    QString m_caption;
    QStringList m_shownLines;
    QColor m_colour;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_lines = 1;
    int m_textWidth = 0;
    bool m_autoSize = true;
    bool m_highlighted = false;
};
