#pragma once

#include <QLabel>

// A label for texts from bookmarks and pages: always plain text ("&" and markup show as
// they stand), wrapped within its text width and cut after a number of lines. It lays out
// and paints its own text, so that what is measured is exactly what is drawn.
class TUCLabel final : public QLabel
{
    Q_OBJECT

  public:
    explicit TUCLabel(QWidget *parent);

    QString Caption() const { return m_caption; }
    // Stores the text as DisplayText makes it and, with auto-size on, fits the label to it.
    void SetCaption(const QString &caption);
    void SetHint(const QString &hint); // shown literally

    // At most lines lines are shown; two or more lines wrap the text.
    void SetLines(int lines);
    int Lines() const { return m_lines; }
    // The width the text is laid out in; an auto-sized label is at most this wide.
    void SetTextWidth(int width);
    // On: the label takes the size of its text (at least one line). Off: it keeps the text
    // width and the height of one line.
    void SetAutoSize(bool on);
    void SetAlignment(Qt::Alignment horizontal);

    void SetTextColour(const QColor &colour);
    QColor TextColour() const { return m_colour; }
    // The hover look of a clickable entry: blue and underlined.
    void SetHighlighted(bool on);
    bool Highlighted() const { return m_highlighted; }

    int OneLineHeight() const;
    int MaxHeight() const;
    // The lines as drawn: at most Lines, and a cut text ends in an ellipsis.
    const QStringList &ShownLines() const { return m_shownLines; }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    QFont ShownFont() const;
    QStringList LinesAt(int width) const;
    void DrawLines(QPainter &painter, const QPoint &offset) const;
    void FitSize();

    QString m_caption;
    QStringList m_shownLines;
    QColor m_colour;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_lines = 1;
    int m_textWidth = 0;
    bool m_autoSize = true;
    bool m_highlighted = false;
};
