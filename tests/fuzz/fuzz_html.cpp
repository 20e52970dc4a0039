// Any bytes, split like a response at the first empty line into header text and body,
// go through the scanner and the page information.
#include "refresh/htmlscanner.h"
#include "refresh/pageinfo.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf("\r\n\r\n");
    const QByteArray headers = split < 0 ? QByteArray() : input.first(split);
    const QByteArray body = split < 0 ? input : input.sliced(split + 4);

    THTMLScanner scanner;
    scanner.Parse(body, headers);
    // Objects and parameters each take at least two bytes of the page, 16 bytes apiece,
    // and the text store at most the page's size plus one; the lists grow in chunks.
    if (scanner.MemoryUsage() > 9 * body.size() + (1 << 16))
        std::abort();
    qsizetype total = 0;
    for (qsizetype i = 0; i < scanner.ObjectCount(); ++i) {
        const THTMLObject object = scanner.Object(i);
        total += object.Text().size();
        if (const auto tag = object.Tag()) {
            for (qsizetype p = 0; p < tag->ParamCount(); ++p)
                total += tag->Param(p)->Name().size() + tag->Param(p)->Value().size();
            total += tag->ParamValueUpper("content").size() + tag->IndexOfParam("NAME");
        }
    }
    const QString title = scanner.GetTitle();
    const QString description = scanner.GetDescription();
    if (title.size() > 2 * scanner.RawTitle().size() ||
        description.size() > 2 * scanner.RawDescription().size())
        std::abort();
    return total < 0;
}
