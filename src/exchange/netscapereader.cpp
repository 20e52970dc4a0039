#include "netscapereader.h"

#include "htmltext.h"
#include "htmltokenizer.h"
#include "platform/files.h"

namespace exchange {
namespace {
constexpr int64_t MaxFileSize = int64_t(1) << 30;
constexpr qsizetype MaxCaption = 1 << 16; // far more than any name can keep

// Walks the tokens once, keeping the open lists on a stack of its own.
class HtmlBookmarkReader final
{
  public:
    HtmlBookmarkReader(QByteArrayView bytes, const HtmlTextDecoder &decoder)
        : m_tokens(bytes), m_decoder(decoder)
    {
    }

    SourceRead read()
    {
        using Token = HtmlTokenizer::Token;
        for (Token t = m_tokens.next(); t != Token::End; t = m_tokens.next()) {
            if (t == Token::Text && m_collecting && m_caption.size() < MaxCaption)
                m_caption.append(m_tokens.bytes());
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
        m_sawList = m_sawList || m_tokens.nameIs("DL") || m_tokens.nameIs("A");
        if (m_tokens.nameIs("DT")) {
            finishCaption();
            m_entryTaken = false;
        } else if (m_tokens.nameIs("A") && !m_entryTaken) {
            startBookmark();
        } else if (m_tokens.nameIs("H3") && !m_entryTaken) {
            finishCaption();
            m_entryTaken = true;
            m_pendingFolder = m_tree.addFolder(m_stack.back(), QString());
            m_collecting = true;
        } else if (m_tokens.nameIs("DL")) {
            finishCaption();
            m_stack.push_back(m_pendingFolder >= 0 ? m_pendingFolder : m_stack.back());
            m_pendingFolder = -1;
            m_entryTaken = false;
        } else if (m_tokens.nameIs("DD") || m_tokens.nameIs("HR")) {
            // A description (never closed, may hold any markup) or a separator: no link
            // in it is a bookmark of its own.
            finishCaption();
            m_entryTaken = m_tokens.nameIs("DD");
        }
    }

    void endTag()
    {
        if (m_tokens.nameIs("A") || m_tokens.nameIs("H3")) {
            finishCaption();
        } else if (m_tokens.nameIs("DL")) {
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
        bookmark.url = m_decoder.text(m_tokens.attribute("HREF"));
        bookmark.added = m_tokens.attribute("ADD_DATE").trimmed().toLongLong();
        m_tree.bookmarks.push_back(std::move(bookmark));
        m_captionOfBookmark = true;
        m_collecting = true;
    }

    // The text gathered since an A or H3 becomes its title once the element ends.
    void finishCaption()
    {
        if (!m_collecting)
            return;
        const QString caption = m_decoder.text(m_caption);
        if (m_captionOfBookmark)
            m_tree.bookmarks.back().title = caption;
        else
            m_tree.folders.back().name = caption;
        m_caption.clear();
        m_collecting = false;
        m_captionOfBookmark = false;
    }

    HtmlTokenizer m_tokens;
    const HtmlTextDecoder &m_decoder;
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
    const HtmlTextDecoder decoder = HtmlTextDecoder::forFile(bytes);
    return HtmlBookmarkReader(bytes, decoder).read();
}

SourceRead readBookmarkFile(const QString &path)
{
    const std::optional<platform::SmallFile> file = platform::readSmallFile(path, MaxFileSize);
    if (!file || !file->content)
        return {{}, QStringLiteral("cannot read %1 as a file").arg(path)};
    SourceRead result = readBookmarkHtml(*file->content);
    if (!result.ok())
        result.error = QStringLiteral("%1 is no bookmark file: %2").arg(path, result.error);
    return result;
}
} // namespace exchange
