// Any bytes parse; unchanged documents give back their bytes; a value that was set is
// what a new parse reads.
#include "store/inidoc.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc = IniDocument::parse(bytes);
    if (doc.serialize() != bytes)
        std::abort();
    (void)doc.value(u"InternetShortcut", u"URL");
    (void)doc.sectionHasKeys(u"Merkwerk");
    if (doc.setValue(u"Merkwerk", u"Title", u"00410062")) {
        const IniDocument again = IniDocument::parse(doc.serialize());
        if (again.value(u"Merkwerk", u"Title") != QStringLiteral("00410062"))
            std::abort();
    }
    doc.eraseSection(u"Merkwerk");
    if (IniDocument::parse(doc.serialize()).sectionHasKeys(u"Merkwerk"))
        std::abort();
    return 0;
}
