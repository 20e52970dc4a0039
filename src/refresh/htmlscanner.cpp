#include "htmlscanner.h"

#include "html/entities.h"
#include "html/tokenizer.h"
#include "store/textutil.h"

#include <utility>

namespace {
bool valueIs(const html::Tokenizer &tag, QByteArrayView name, QByteArrayView value)
{
    return trimBlanks(tag.attribute(name)).compare(value, Qt::CaseInsensitive) == 0;
}
} // namespace

void HtmlScanner::parse(const QByteArray &source, const QByteArray &rawHeaders)
{
    using Token = html::Tokenizer::Token;
    m_source = source;
    const bool byteOrderMark = html::takeByteOrderMark(m_source);
    QByteArray title;
    QByteArrayView description;
    std::optional<html::TextDecoder> meta;
    bool inTitle = false;     // from a title's start tag to its end tag
    bool titleOpened = false; // the raw text that comes next is the title's
    bool inDrawing = false;   // a drawing's titles name its parts, not the page
    html::Tokenizer tokens(m_source);
    for (Token t = tokens.next(); t != Token::End; t = tokens.next()) {
        const bool rawTitle = std::exchange(titleOpened, false);
        if (t == Token::RawText || t == Token::Text) {
            // A title never closed takes the texts that follow, but not a script's.
            if (t == Token::RawText ? rawTitle : inTitle)
                title += tokens.text();
        } else if (t == Token::EndTag) {
            if (tokens.nameIs("head"))
                break; // nothing after the end of the head counts
            inTitle = inTitle && !tokens.nameIs("title");
            inDrawing = inDrawing && !tokens.nameIs("svg");
        } else if (tokens.nameIs("svg")) {
            inDrawing = true;
        } else if (tokens.nameIs("title") && !inDrawing) {
            inTitle = titleOpened = true;
        } else if (tokens.nameIs("meta")) {
            if (valueIs(tokens, "name", "description") &&
                (description.isEmpty() || valueIs(tokens, "lang", "en")))
                description = tokens.attribute("content");
            if (!meta)
                meta = html::TextDecoder::forLabel(html::metaCharset(tokens));
        }
    }
    m_decoder =
        html::documentDecoder(byteOrderMark, html::headerCharset(rawHeaders), meta, m_source);
    m_title = html::collapseBlanks(html::decodeReferences(m_decoder.decode(title)));
    m_description = trimBlanks(html::decodeReferences(m_decoder.decode(description),
                                                      html::ReferenceContext::Attribute))
                        .toString();
}
