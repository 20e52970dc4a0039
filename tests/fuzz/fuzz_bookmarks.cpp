// Any bytes go through the bookmark-file reader and the tokenizer it runs on.
#include "exchange/netscapereader.h"
#include "html/tokenizer.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // Every token lies inside the input, and the tokens move forward.
    html::Tokenizer tokens(input);
    const char *last = input.constData();
    for (auto t = tokens.next(); t != html::Tokenizer::Token::End; t = tokens.next()) {
        const QByteArrayView bytes = tokens.text();
        if (bytes.data() < last || bytes.data() + bytes.size() > input.constData() + input.size())
            std::abort();
        last = bytes.data();
    }
    // Folders name earlier folders as parents, so every chain ends at the root; addresses
    // hold no tab, line break or blank.
    const exchange::SourceRead read = exchange::readBookmarkHtml(input);
    for (size_t f = 1; f < read.tree.folders.size(); ++f)
        if (read.tree.folders[f].parent < 0 || size_t(read.tree.folders[f].parent) >= f)
            std::abort();
    for (const exchange::SourceBookmark &b : read.tree.bookmarks)
        if (b.folder < 0 || size_t(b.folder) >= read.tree.folders.size() || b.url.contains(u' ') ||
            b.url.contains(u'\t') || b.url.contains(u'\n'))
            std::abort();
    return 0;
}
