#include "netscapereader.h"

#include "html/charset.h"
#include "html/entities.h"
#include "html/tokenizer.h"
#include "platform/files.h"
#include "store/textutil.h"

namespace exchange {
namespace {
constexpr int64_t maxFileSize = int64_t(1) << 30;
constexpr qsizetype maxCaption = 1 << 16; // far more than any name can keep

using Token = html::Tokenizer::Token;

// A bookmark file declares its character set, if at all, before its entries begin.
html::TextDecoder fileDecoder(QByteArray &bytes)
{
    const bool byteOrderMark = html::takeByteOrderMark(bytes);
    std::optional<html::TextDecoder> meta;
    html::Tokenizer tokens(byteOrderMark ? QByteArrayView() : QByteArrayView(bytes));
    for (Token t = tokens.next(); !meta && t != Token::End; t = tokens.next()) {
        if (t != Token::StartTag)
            continue;
        if (tokens.nameIs("dl") || tokens.nameIs("dt") || tokens.nameIs("a"))
            break;
        if (tokens.nameIs("meta"))
            meta = html::TextDecoder::forLabel(html::metaCharset(tokens));
    }
    return html::documentDecoder(byteOrderMark, {}, meta, bytes);
}

// An address as browsers read an HREF: tabs and line breaks dropped, blanks and controls
// at either end trimmed, those inside percent-encoded.
QString readAddress(QStringView value)
{
    QString address;
    address.reserve(value.size());
    for (const QChar c : trimBlanks(value)) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\r')
            continue;
        if (u <= 0x20 || u == 0x7F)
            address += u'%' + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else
            address += c;
    }
    return address;
}

// Walks the tokens once, keeping the open lists on a stack of its own.
class HtmlBookmarkReader final
{
  public:
    HtmlBookmarkReader(QByteArrayView bytes, const html::TextDecoder &decoder)
        : m_tokens(bytes), m_decoder(decoder)
    {
    }

    SourceRead read()
    {
        for (Token t = m_tokens.next(); t != Token::End; t = m_tokens.next()) {
            if (t == Token::Text && m_collecting && m_caption.size() < maxCaption)
                m_caption.append(m_tokens.text());
            else if (t == Token::StartTag)
                startTag();
            else if (t == Token::EndTag)
                endTag();
        }
        finishCaption();
        SourceRead result{std::move(m_tree), {}};
        if (!m_sawList)
            result.error = QStringLiteral("no bookmark list in it");
        return result;
    }

  private:
    void startTag()
    {
        m_sawList = m_sawList || m_tokens.nameIs("dl") || m_tokens.nameIs("a");
        if (m_tokens.nameIs("dt")) {
            finishCaption();
            m_entryTaken = false;
        } else if (m_tokens.nameIs("a") && !m_entryTaken) {
            startBookmark();
        } else if (m_tokens.nameIs("h3") && !m_entryTaken) {
            finishCaption();
            m_entryTaken = true;
            m_pendingFolder = m_tree.addFolder(m_stack.back(), QString());
            m_collecting = true;
        } else if (m_tokens.nameIs("dl")) {
            finishCaption();
            m_stack.push_back(m_pendingFolder >= 0 ? m_pendingFolder : m_stack.back());
            m_pendingFolder = -1;
            m_entryTaken = false;
        } else if (m_tokens.nameIs("dd") || m_tokens.nameIs("hr")) {
            // A description (never closed, may hold any markup) or a separator: no link
            // in it is a bookmark of its own.
            finishCaption();
            m_entryTaken = m_tokens.nameIs("dd");
        }
    }

    void endTag()
    {
        if (m_tokens.nameIs("a") || m_tokens.nameIs("h3")) {
            finishCaption();
        } else if (m_tokens.nameIs("dl")) {
            finishCaption();
            if (m_stack.size() > 1)
                m_stack.pop_back();
            m_pendingFolder = -1;
            m_entryTaken = false;
        }
    }

    void startBookmark()
    {
        finishCaption();
        m_entryTaken = true;
        m_pendingFolder = -1; // a heading followed by a bookmark had no list
        SourceBookmark bookmark;
        bookmark.folder = m_stack.back();
        bookmark.url = readAddress(html::decodeReferences(
            m_decoder.decode(m_tokens.attribute("href")), html::ReferenceContext::Attribute));
        bookmark.added = m_tokens.attribute("add_date").trimmed().toLongLong();
        m_tree.bookmarks.push_back(std::move(bookmark));
        m_captionOfBookmark = true;
        m_collecting = true;
    }

    // The text gathered since an A or H3 becomes its title once the element ends.
    void finishCaption()
    {
        if (!m_collecting)
            return;
        const QString caption =
            html::collapseBlanks(html::decodeReferences(m_decoder.decode(m_caption)));
        if (m_captionOfBookmark)
            m_tree.bookmarks.back().title = caption;
        else
            m_tree.folders.back().name = caption;
        m_caption.clear();
        m_collecting = false;
        m_captionOfBookmark = false;
    }

    html::Tokenizer m_tokens;
    const html::TextDecoder &m_decoder;
    BookmarkTree m_tree;
    std::vector<int> m_stack{0};
    int m_pendingFolder = -1;
    bool m_entryTaken = false;
    bool m_collecting = false;
    bool m_captionOfBookmark = false;
    bool m_sawList = false;
    QByteArray m_caption;
};

} // namespace

SourceRead readBookmarkHtml(QByteArray bytes)
{
    const html::TextDecoder decoder = fileDecoder(bytes);
    return HtmlBookmarkReader(bytes, decoder).read();
}

SourceRead readBookmarkFile(const QString &path)
{
    const std::optional<platform::SmallFile> file = platform::readSmallFile(path, maxFileSize);
    if (!file || !file->content)
        return {{}, QStringLiteral("cannot read %1 as a file").arg(path)};
    SourceRead result = readBookmarkHtml(*file->content);
    if (!result.ok())
        result.error = QStringLiteral("%1 is no bookmark file: %2").arg(path, result.error);
    return result;
}
} // namespace exchange
