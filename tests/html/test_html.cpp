// Reading HTML as browsers read it: character references, character sets, tokens.
#include "html/charset.h"
#include "html/entities.h"
#include "html/tokenizer.h"
#include "rowfile.h"

#include <QTest>

using html::ReferenceContext;
using Token = html::Tokenizer::Token;

namespace {
// The tokens in one line: <name a="v"> and </name> for tags, [text], {raw text}.
QByteArray dumpTokens(QByteArrayView source)
{
    QByteArrayList parts;
    html::Tokenizer tokens(source);
    for (Token t = tokens.next(); t != Token::End; t = tokens.next()) {
        QByteArray part = tokens.text().toByteArray();
        for (const html::Tokenizer::Attribute &a : tokens.attributes())
            part += ' ' + a.name.toByteArray() + "=\"" + a.value.toByteArray() + '"';
        const char *const marks[] = {"[]", "{}", "<>", "</>"};
        const QByteArray mark = marks[int(t)];
        parts += mark.chopped(1) + part + mark.back();
    }
    return parts.join(' ');
}

// The label of a header text or of a page's first META tag.
QByteArray declaredLabel(const QByteArray &source)
{
    if (!source.startsWith('<'))
        return html::headerCharset(source);
    html::Tokenizer tag(source);
    tag.next();
    return html::metaCharset(tag).toByteArray();
}
} // namespace

class TestHtml : public QObject
{
    Q_OBJECT
  private slots:
    void references_data() { addRowsFromFile(QStringLiteral("html/references.tsv")); }

    void references()
    {
        QFETCH(QString, text);
        QFETCH(bool, attribute);
        const auto context = attribute ? ReferenceContext::Attribute : ReferenceContext::Text;
        QTEST(html::decodeReferences(text, context), "decoded");
    }

    void labels_data() { addRowsFromFile(QStringLiteral("html/labels.tsv")); }

    void labels()
    {
        QFETCH(QByteArray, label);
        const std::optional<html::TextDecoder> decoder = html::TextDecoder::forLabel(label);
        QTEST(decoder ? decoder->name() : QByteArray(), "name");
    }

    void declared_data() { addRowsFromFile(QStringLiteral("html/declared.tsv")); }

    void declared()
    {
        QFETCH(QByteArray, source);
        QTEST(declaredLabel(source), "label");
    }

    void content_data() { addRowsFromFile(QStringLiteral("html/content.tsv")); }

    void content()
    {
        QFETCH(QByteArray, bytes);
        const bool byteOrderMark = html::takeByteOrderMark(bytes);
        QTEST(html::documentDecoder(byteOrderMark, {}, {}, bytes).decode(bytes), "text");
    }

    void tokens_data() { addRowsFromFile(QStringLiteral("html/tokens.tsv")); }

    void tokens()
    {
        QFETCH(QByteArray, source);
        QTEST(dumpTokens(source), "tokens");
    }
};

QTEST_GUILESS_MAIN(TestHtml)
#include "test_html.moc"
