// Any bytes, split like a response at the first empty line into header text and body, go
// through the tokenizer, the page information and the page text.
#include "html/tokenizer.h"
#include "refresh/htmlscanner.h"
#include "refresh/pagetext.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {
bool inside(QByteArrayView part, QByteArrayView whole)
{
    return part.data() == nullptr || (part.data() >= whole.data() &&
                                      part.data() + part.size() <= whole.data() + whole.size());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf("\r\n\r\n");
    const QByteArray headers = split < 0 ? QByteArray() : input.first(split);
    const QByteArray body = split < 0 ? input : input.sliced(split + 4);

    // Every token lies inside the page, after the one before it.
    html::Tokenizer tokens(body);
    const char *last = body.constData();
    for (auto t = tokens.next(); t != html::Tokenizer::Token::End; t = tokens.next()) {
        if (!inside(tokens.text(), body) || tokens.text().data() < last)
            std::abort();
        last = tokens.text().data();
        for (const html::Tokenizer::Attribute &a : tokens.attributes())
            if (!inside(a.name, body) || !inside(a.value, body) || a.name.isEmpty())
                std::abort();
    }
    // Decoding never makes more characters than there are bytes.
    HtmlScanner scanner;
    scanner.parse(body, headers);
    if (scanner.getTitle().size() > body.size() || scanner.getDescription().size() > body.size())
        std::abort();
    const PageText text = readPageText(scanner);
    if (text.words.size() > body.size())
        std::abort();
    return 0;
}
