#include "refresh/pagetext.h"

#include "html/entities.h"
#include "html/tokenizer.h"
#include "refresh/htmlscanner.h"

#include <QHash>
#include <array>

namespace {
// Elements whose text a reader does not see as the page's text, besides the raw text of
// scripts and styles.
constexpr std::array<QByteArrayView, 5> hiddenElements = {"title", "style", "noscript", "template",
                                                          "svg"};

// The name of the hidden element the tag opens; empty when it opens none.
QByteArrayView hiddenOpened(const html::Tokenizer &tag)
{
    const auto hidden = std::find_if(hiddenElements.begin(), hiddenElements.end(),
                                     [&](QByteArrayView name) { return tag.nameIs(name); });
    return hidden == hiddenElements.end() ? QByteArrayView() : *hidden;
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
    HtmlScanner scanner;
    scanner.parse(body, rawHeaders);
    return readPageText(scanner);
}

PageText readPageText(const HtmlScanner &scanner)
{
    using Token = html::Tokenizer::Token;
    PageText page{scanner.getTitle(), {}};
    QByteArrayView hiddenIn; // the element whose end shows text again
    html::Tokenizer tokens(scanner.bytes());
    for (Token t = tokens.next(); t != Token::End; t = tokens.next()) {
        if (t == Token::StartTag && hiddenIn.isEmpty())
            hiddenIn = hiddenOpened(tokens);
        else if (t == Token::EndTag && tokens.nameIs(hiddenIn))
            hiddenIn = {};
        else if (t == Token::Text && hiddenIn.isEmpty())
            addWords(page.words,
                     html::decodeReferences(scanner.textDecoder().decode(tokens.text())));
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
