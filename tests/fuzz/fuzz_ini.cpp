// Any bytes parse; unchanged documents give back their bytes; a value that was set, in any
// text the file's encoding holds, is what a new parse reads, in the same encoding, and the
// other values stay.
#include "store/inidoc.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc = IniDocument::parse(bytes);
    if (doc.serialize() != bytes)
        std::abort();
    const std::optional<QString> url = doc.value(u"InternetShortcut", u"URL");
    for (const QString &text : {QStringLiteral("\u4E2D \U0001F600 \u00E9"), QStringLiteral("é €"),
                                QStringLiteral("00410062")}) {
        if (!doc.setValue(u"Merkwerk", u"Title", text))
            continue;
        const IniDocument again = IniDocument::parse(doc.serialize());
        if (again.value(u"Merkwerk", u"Title") != text || again.encoding() != doc.encoding() ||
            again.value(u"InternetShortcut", u"URL") != url)
            std::abort();
    }
    doc.eraseSection(u"Merkwerk");
    if (IniDocument::parse(doc.serialize()).sectionHasKeys(u"Merkwerk"))
        std::abort();
    return 0;
}
