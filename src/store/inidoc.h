#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

enum class IniEncoding { Ansi, Utf8Bom, Utf16LeBom };

// One INI file in memory. Reading follows the profile-string rules (names without regard
// to case, value after the first "=" without surrounding blanks, first match wins, at most
// MaxValueLength code units). Changing a value touches only the line it must, so
// serialize() gives back every other byte, the encoding and the line endings as they were.
class IniDocument final
{
  public:
    IniDocument() = default; // a new, empty file
    static IniDocument parse(const QByteArray &bytes);
    QByteArray serialize() const;

    IniEncoding encoding() const { return m_encoding; }

    std::optional<QString> value(QStringView section, QStringView key) const;
    // The values of several keys of one section, in the order of keys.
    std::vector<std::optional<QString>> values(QStringView section,
                                               const QList<QString> &keys) const;
    bool sectionHasKeys(QStringView section) const;

    // False (and nothing changed) for a value holding CR, LF or NUL, a name that could
    // break the line structure, or text the file's encoding cannot hold.
    bool setValue(QStringView section, QStringView key, QStringView value);
    // Removes every section of that name with all its lines; false when there was none.
    bool eraseSection(QStringView section);

  private:
    // A line is kept as its bytes; only what is asked for is ever decoded.
    struct Line
    {
        enum Kind { Other, Header, Key };
        QByteArray raw; // the line's bytes in the file's encoding, without line ending
        QByteArray eol; // its line ending as stored ("" for a last line without one)
        Kind kind = Other;
        qsizetype nameBegin = 0; // section or key name, in code units, without blanks
        qsizetype nameSize = 0;
        qsizetype valueBegin = 0; // after the first "=" of a key line, in code units
    };

    uint unitAt(const QByteArray &raw, qsizetype i) const;
    qsizetype unitCount(const QByteArray &raw) const;
    QString decodeUnits(const QByteArray &raw, qsizetype begin, qsizetype end) const;
    void classify(Line &line) const;
    bool nameIs(const Line &line, QStringView name) const;
    std::optional<QByteArray> encodeText(QStringView text) const;
    bool makeLine(const QByteArray &raw, const QByteArray &eol, Line &line) const;
    QByteArray newLineEnding() const;
    qsizetype findSection(QStringView section, qsizetype from = 0) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, QStringView key) const;
    std::optional<QString> valueAt(qsizetype line) const;
    bool isBlank(const Line &line) const;

    IniEncoding m_encoding = IniEncoding::Ansi;
    bool m_ansiIsUtf8 = true; // ANSI file whose bytes are valid UTF-8 (plain ASCII included)
    QByteArray m_bom;
    QByteArray m_tail;   // a stray last byte of a UTF-16 file, kept as it was
    QByteArray m_source; // the parsed bytes; unchanged lines point into them
    QList<Line> m_lines;
};
