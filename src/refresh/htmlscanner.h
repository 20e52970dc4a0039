#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <vector>

// A downloaded page as a flat list of objects: tags with their parameters, runs of text,
// and raw sections (comments and script elements kept whole). One pass over the bytes,
// no tree; any input gives some list.
//
// Bytes 0..32 count as white space, upper-casing changes only a-z. Positions are 32-bit,
// so only the first MaxSourceSize bytes of a page are read (a download keeps 4 MiB).

class THTMLScanner;

enum class THTMLKind : quint8 {
    Raw,  // a comment or script element from "<" to the closing ">"
    Text, // text between tags, white space runs reduced to one space
    Tag,
};

// The objects below are views into their scanner: they stay valid until it is cleared,
// parses again or is freed.

class THTMLParam final
{
  public:
    QByteArray Name() const;      // trimmed, upper-cased
    QByteArrayView Value() const; // trimmed; empty when none was given
    bool HasValue() const;
    QByteArray Text() const; // the name as written, then ="value" when a value was given

  private:
    friend class THTMLTag;
    THTMLParam(const THTMLScanner *scanner, qsizetype index) : m_scanner(scanner), m_index(index) {}
    const THTMLScanner *m_scanner;
    qsizetype m_index;
};

class THTMLTag final
{
  public:
    QByteArray Name() const; // trimmed, upper-cased; a closing tag keeps its "/"
    bool NameIs(QByteArrayView upperName) const;
    QByteArray Text() const; // the tag rebuilt: name as written, then " " + each Param Text

    qsizetype ParamCount() const;
    std::optional<THTMLParam> Param(qsizetype index) const; // none out of range
    // The name is trimmed and upper-cased; with a parameter given twice the later one wins.
    qsizetype IndexOfParam(QByteArrayView name) const; // -1 when absent
    QByteArrayView ParamValue(QByteArrayView name) const;
    QByteArray ParamValueUpper(QByteArrayView name) const;

  private:
    friend class THTMLObject;
    friend class THTMLScanner;
    THTMLTag(const THTMLScanner *scanner, qsizetype index) : m_scanner(scanner), m_index(index) {}
    qsizetype FirstParam() const;
    const THTMLScanner *m_scanner;
    qsizetype m_index;
};

class THTMLObject final
{
  public:
    THTMLKind Kind() const;
    QByteArray Text() const;
    // Without copying: a text's or raw section's Text, a tag's name as written.
    QByteArrayView Bytes() const;
    std::optional<THTMLTag> Tag() const; // none unless Kind() is Tag

  private:
    friend class THTMLScanner;
    THTMLObject(const THTMLScanner *scanner, qsizetype index) : m_scanner(scanner), m_index(index)
    {
    }
    const THTMLScanner *m_scanner;
    qsizetype m_index;
};

class THTMLScanner final
{
  public:
    static constexpr qsizetype MaxSourceSize = 0x7FFFFFF0;

    THTMLScanner();
    ~THTMLScanner();
    THTMLScanner(const THTMLScanner &) = delete;
    THTMLScanner &operator=(const THTMLScanner &) = delete;

    void Clear();
    // Splits the page into objects and gathers its title, description and character
    // sets. An empty page gives nothing, and its header text is not read either.
    void Parse(const QByteArray &source, const QByteArray &rawHeaders);

    qsizetype ObjectCount() const { return qsizetype(m_items.size()); }
    THTMLObject Object(qsizetype index) const { return THTMLObject(this, index); }

    // Title and description as gathered from the document head, before decoding.
    QByteArray RawTitle() const { return m_title; }
    QByteArray RawDescription() const { return m_description; }
    QByteArray HeaderCharset() const { return m_headerCharset; } // from Content-Type
    QByteArray MetaCharset() const { return m_metaCharset; }     // from META in the head
    // The character set the texts are decoded with: the header's, else the META one,
    // each only when it can be decoded; empty means UTF-8, else Windows-1252.
    QByteArray Charset() const { return m_charset; }

    QString GetTitle() const;
    QString GetDescription() const;

    // Bytes held for the object list, the page itself not counted.
    qsizetype MemoryUsage() const;

  private:
    friend class THTMLObject;
    friend class THTMLTag;
    friend class THTMLParam;
    friend class THTMLTokenizer;

    static constexpr quint32 NoValue = 0xFFFFFFFF;

    struct Item
    {
        quint32 pos; // a tag's name as written in m_source; a text or raw section in m_text
        quint32 len;
        quint32 firstParam; // a tag's parameters run up to the next item's firstParam
        THTMLKind kind;
    };
    struct ParamItem
    {
        quint32 namePos; // everything in m_source
        quint32 nameLen;
        quint32 valuePos; // NoValue when none was given
        quint32 valueLen;
    };

    // A list that grows in fixed chunks: nothing is copied as it grows, so a page never
    // needs its list twice at once, and an index costs a shift and a mask.
    template <typename T> class ChunkedList
    {
      public:
        qsizetype size() const { return m_size; }
        const T &operator[](qsizetype i) const { return m_chunks[i >> Shift][i & Mask]; }
        T &operator[](qsizetype i) { return m_chunks[i >> Shift][i & Mask]; }
        T &back() { return (*this)[m_size - 1]; }
        void push_back(const T &value)
        {
            if ((m_size & Mask) == 0)
                m_chunks.emplace_back(new T[Mask + 1]);
            (*this)[m_size++] = value;
        }
        void clear()
        {
            m_chunks = std::vector<std::unique_ptr<T[]>>();
            m_size = 0;
        }
        qsizetype bytes() const
        {
            return qsizetype(m_chunks.size() * ((Mask + 1) * sizeof(T) + sizeof(m_chunks[0])));
        }

      private:
        static constexpr int Shift = 10;
        static constexpr qsizetype Mask = (qsizetype(1) << Shift) - 1;
        std::vector<std::unique_ptr<T[]>> m_chunks;
        qsizetype m_size = 0;
    };

    QByteArrayView ItemBytes(qsizetype index) const
    {
        const Item &item = m_items[index];
        return QByteArrayView((item.kind == THTMLKind::Tag ? m_source.constData() : m_text.get()) +
                                  item.pos,
                              item.len);
    }
    QByteArrayView SourceBytes(quint32 pos, quint32 len) const
    {
        return QByteArrayView(m_source.constData() + pos, len);
    }

    QByteArray m_source;
    std::unique_ptr<char[]> m_text; // texts and raw sections, back to back
    ChunkedList<Item> m_items;
    ChunkedList<ParamItem> m_params;

    QByteArray m_title;
    QByteArray m_description;
    QByteArray m_headerCharset;
    QByteArray m_metaCharset;
    QByteArray m_charset;
};

inline THTMLKind THTMLObject::Kind() const
{
    return m_scanner->m_items[m_index].kind;
}

inline QByteArrayView THTMLObject::Bytes() const
{
    return m_scanner->ItemBytes(m_index);
}

inline std::optional<THTMLTag> THTMLObject::Tag() const
{
    if (Kind() != THTMLKind::Tag)
        return std::nullopt;
    return THTMLTag(m_scanner, m_index);
}
