// Any bytes parse; unchanged documents give back their bytes. A value set in a document is
// what a new parse reads (without surrounding blanks), in the same encoding, and the other
// values stay; a refused one changes no byte. Values set: texts of several alphabets, and,
// when the input holds two NUL bytes, "section NUL key NUL value" after them (UTF-8, names
// without surrounding blanks, as the program's names are).
#include "store/hextext.h"
#include "store/inidoc.h"
#include "store/textutil.h"

#include <cstdint>
#include <cstdlib>

namespace {
bool utf8Body(const QByteArray &bytes)
{
    return QUtf8StringView(bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes)
        .isValidUtf8();
}

void checkSet(IniDocument &doc, const QString &section, const QString &key, const QString &value)
{
    const QByteArray before = doc.serialize();
    const std::optional<QString> url = doc.value(u"InternetShortcut", u"URL");
    if (!doc.setValue(section, key, value)) {
        if (doc.serialize() != before)
            std::abort();
        return;
    }
    const QByteArray after = doc.serialize();
    const IniDocument again = IniDocument::parse(after);
    if (again.encoding() != doc.encoding())
        std::abort();
    // An 8-bit file is read as UTF-8 only while all of it is UTF-8: a write that replaces
    // the only other bytes changes how the rest reads.
    if (doc.encoding() != IniEncoding::Utf16LeBom && utf8Body(before) != utf8Body(after))
        return;
    if (again.value(section, key) != trimBlanks(value).left(maxValueLength).toString() ||
        (trimBlanks(key).compare(u"URL", Qt::CaseInsensitive) != 0 &&
         again.value(u"InternetShortcut", u"URL") != url))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf(QByteArrayView("\0\0", 2));
    const QByteArray bytes = split < 0 ? input : input.first(split);
    IniDocument doc = IniDocument::parse(bytes);
    if (doc.serialize() != bytes)
        std::abort();
    if (split >= 0) {
        const QStringList parts = QString::fromUtf8(input.sliced(split + 2)).split(QChar(0));
        checkSet(doc, trimBlanks(parts.value(0)).toString(), trimBlanks(parts.value(1)).toString(),
                 parts.mid(2).join(QChar(0)));
    }
    for (const QString &text : {QStringLiteral("\u4E2D \U0001F600 \u00E9"), QStringLiteral("é €"),
                                QStringLiteral("00410062")})
        checkSet(doc, QStringLiteral("Merkwerk"), QStringLiteral("Title"), text);
    doc.eraseSection(u"Merkwerk");
    if (IniDocument::parse(doc.serialize()).sectionHasKeys(u"Merkwerk"))
        std::abort();
    return 0;
}
