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
    struct Line
    {
        enum Kind { Other, Header, Key };
        QByteArray raw; // the line's bytes in the file's encoding, without line ending
        QByteArray eol; // its line ending as stored ("" for a last line without one)
        QString text;   // decoded
        Kind kind = Other;
        qsizetype nameBegin = 0; // section or key name within text, without blanks
        qsizetype nameSize = 0;
        QStringView name() const { return QStringView(text).sliced(nameBegin, nameSize); }
    };
    static void classify(Line &line);

    std::optional<QByteArray> encodeText(QStringView text) const;
    bool makeLine(QStringView text, Line &line) const;
    QByteArray newLineEnding() const;
    qsizetype findSection(QStringView section, qsizetype from = 0) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, QStringView key) const;
    std::optional<QString> valueAt(qsizetype line) const;

    IniEncoding m_encoding = IniEncoding::Ansi;
    bool m_ansiIsUtf8 = true; // ANSI file whose bytes are valid UTF-8 (plain ASCII included)
    QByteArray m_bom;
    QByteArray m_tail;   // a stray last byte of a UTF-16 file, kept as it was
    QByteArray m_source; // the parsed bytes; unchanged lines point into them
    QString m_text;      // their decoded text; unchanged lines point into it
    QList<Line> m_lines;
};
