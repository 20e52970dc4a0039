// Any bytes load as a language file and decode as a value without growing; encoding any
// text and reading it back from a file line gives the text again.
#include "lang/lngfile.h"
#include "lang/template.h"

#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>

namespace {
void checkLines(const LngFile &file)
{
    int looked = 0;
    for (const QByteArray &line : file.lines) {
        if (line.contains('\r') || line.contains('\n') || line.contains('\0'))
            std::abort();
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || ++looked > 64)
            continue;
        const QByteArray raw = file.readRawValue(line.first(equals), "-");
        if (decodeLngValue(raw).size() > raw.size())
            std::abort();
    }
}

void checkRoundTrip(const QString &text)
{
    const QByteArray encoded = encodeLngValue(text);
    for (const char c : encoded) {
        if (uchar(c) < 32 || uchar(c) > 126)
            std::abort();
    }
    LngFile file;
    file.loadText(" Key = " + encoded + "\r\n");
    // The one change a round trip may make: a line break written as LF CR comes back as CR LF.
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n\r"));
    if (lngText(decodeLngValue(file.readRawValue("KEY"))) != QString(text).replace(breaks, "\r\n"))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    LngFile file;
    file.loadText(bytes);
    checkLines(file);
    if (decodeLngValue(bytes).size() > bytes.size())
        std::abort();
    checkRoundTrip(lngText(bytes));
    return 0;
}
