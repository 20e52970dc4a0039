#include "refresh/pagetext.h"

#include "refresh/htmlscanner.h"
#include "refresh/pageinfo.h"

#include <QHash>
#include <array>

namespace {
// Elements whose text a reader does not see as the page's text.
constexpr std::array<QByteArrayView, 5> Hidden = {"TITLE", "STYLE", "NOSCRIPT", "TEMPLATE", "SVG"};

// The name of the hidden element the tag opens; empty when it opens none.
QByteArrayView hiddenOpened(const THTMLTag &tag)
{
    const auto hidden = std::find_if(Hidden.begin(), Hidden.end(),
                                     [&](QByteArrayView name) { return tag.NameIs(name); });
    return hidden == Hidden.end() ? QByteArrayView() : *hidden;
}

void addWords(QStringList &words, const QString &text)
{
    QString word;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            word += c.toLower();
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
    }
    if (!word.isEmpty())
        words.append(word);
}

QHash<QString, int> shingles(const QStringList &words)
{
    QHash<QString, int> counts;
    if (words.size() < 3 && !words.isEmpty())
        ++counts[words.join(u' ')];
    for (qsizetype i = 0; i + 2 < words.size(); ++i)
        ++counts[words[i] + u' ' + words[i + 1] + u' ' + words[i + 2]];
    return counts;
}
} // namespace

PageText readPageText(const QByteArray &body, const QByteArray &rawHeaders)
{
    THTMLScanner scanner;
    scanner.Parse(body, rawHeaders);
    return readPageText(scanner);
}

PageText readPageText(const THTMLScanner &scanner)
{
    PageText page{scanner.GetTitle().trimmed(), {}};
    QByteArray hiddenIn; // the element whose end shows text again
    for (qsizetype i = 0; i < scanner.ObjectCount(); ++i) {
        const THTMLObject object = scanner.Object(i);
        if (const std::optional<THTMLTag> tag = object.Tag()) {
            if (hiddenIn.isEmpty()) {
                if (const QByteArrayView hidden = hiddenOpened(*tag); !hidden.isEmpty())
                    hiddenIn = '/' + hidden.toByteArray();
            } else if (tag->NameIs(hiddenIn)) {
                hiddenIn.clear();
            }
        } else if (object.Kind() == THTMLKind::Text && hiddenIn.isEmpty()) {
            addWords(page.words, DecodeHTML(object.Bytes(), scanner.Charset()));
        }
    }
    return page;
}

double textSimilarity(const QStringList &a, const QStringList &b)
{
    const QHash<QString, int> left = shingles(a);
    const QHash<QString, int> right = shingles(b);
    qsizetype total = 0;
    qsizetype common = 0;
    for (auto it = left.begin(); it != left.end(); ++it) {
        total += it.value();
        common += std::min(it.value(), right.value(it.key()));
    }
    for (const int n : right)
        total += n;
    return total == 0 ? 1.0 : 2.0 * double(common) / double(total);
}
