#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <vector>

enum class IniEncoding { Ansi, Utf8Bom, Utf16LeBom };

// Some keys of one section, to be read together with other such queries.
struct IniQuery
{
    QString section;
    QList<QString> keys;
};

// One INI file in memory. Reading follows the profile-string rules (names without regard
// to case, a line starting with ";" a comment, value after the first "=" without
// surrounding blanks, first section and first key of a name win, at most MaxValueLength
// code units). Changing a value touches
// only the line it must, so serialize() gives back every other byte, the encoding and the
// line endings as they were.
class IniDocument final
{
  public:
    IniDocument() = default; // a new, empty file
    static IniDocument parse(const QByteArray &bytes);
    QByteArray serialize() const;

    IniEncoding encoding() const { return m_encoding; }

    std::optional<QString> value(QStringView section, QStringView key) const;
    // Calls visit(query, k, value) for every key of the queries that the file holds (the
    // first section and the first key of a name count), all in one pass over the file;
    // value is valid during the call only.
    using ValueVisit = std::function<void(qsizetype query, qsizetype k, QStringView value)>;
    void forEachValue(const QList<IniQuery> &queries, const ValueVisit &visit) const;
    // The same for the keys of one section.
    void forEachValue(QStringView section, const QList<QString> &keys,
                      const std::function<void(qsizetype k, QStringView value)> &visit) const;
    // The values of several keys of one section, in the order of keys.
    std::vector<std::optional<QString>> values(QStringView section,
                                               const QList<QString> &keys) const;
    bool sectionHasKeys(QStringView section) const;

    // False (and nothing changed) for a value holding CR, LF or NUL, a name that could
    // break the line structure or read as a comment, or text the file's encoding cannot hold.
    bool setValue(QStringView section, QStringView key, QStringView value);
    // The same for several keys of distinct names (values[k] for keys[k]), in one pass over
    // the section: false, and nothing changed, when any of them is refused.
    bool setValues(QStringView section, const QList<QString> &keys,
                   std::span<const QString> values);
    // Removes every section of that name with all its lines; false when there was none.
    bool eraseSection(QStringView section);

    enum class LineKind { Other, Header, Key };
    struct LineInfo
    {
        LineKind kind = LineKind::Other;
        qsizetype nameBegin = 0; // section or key name, in code units, without blanks
        qsizetype nameSize = 0;
        qsizetype valueBegin = 0; // after the first "=" of a key line
    };

  private:
    // Reading scans the bytes as they are; only changing a file splits it into lines.
    struct Line
    {
        QByteArray raw; // the line's bytes in the file's encoding, without line ending
        QByteArray eol; // its line ending as stored ("" for a last line without one)
        LineInfo info;
    };

    QByteArray content() const; // the current bytes without the byte-order mark
    template <typename Visit> void forEachLine(Visit visit) const;
    QString decodeUnits(const char *p, qsizetype units) const;
    void splitIntoLines();
    LineInfo classify(const QByteArray &raw) const;
    bool nameIs(const Line &line, QStringView name) const;
    std::optional<QByteArray> encodeText(QStringView text) const;
    bool canEncode(QStringView text) const; // plain ASCII always can
    Line makeLine(const QByteArray &raw, const QByteArray &eol) const;
    QByteArray newLineEnding() const;
    qsizetype findSection(QStringView section, qsizetype from = 0) const;
    qsizetype sectionEnd(qsizetype header) const;
    std::vector<qsizetype> findKeys(qsizetype header, const QList<QString> &keys) const;
    qsizetype lastFilledLine(qsizetype header) const;
    bool isBlank(const Line &line) const;

    IniEncoding m_encoding = IniEncoding::Ansi;
    bool m_ansiIsUtf8 = true; // 8-bit file whose bytes are valid UTF-8 (plain ASCII included)
    QByteArray m_bom;
    QByteArray m_body; // the bytes after the mark, as parsed; lines point into them
    QByteArray m_tail; // a stray last byte of a UTF-16 file, kept as it was
    bool m_split = false;
    QList<Line> m_lines; // only once split
};
