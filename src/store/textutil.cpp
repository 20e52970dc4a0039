#include "textutil.h"

#include "html/charset.h"

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && uchar(text[begin]) <= 0x20)
        ++begin;
    while (end > begin && uchar(text[end - 1]) <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

QByteArray toNarrow(const QString &text)
{
    return text.toUtf8();
}

QString fromNarrow(QByteArrayView bytes)
{
    return html::fromUtf8OrWindows1252(bytes);
}

QString fromWindows1252(QByteArrayView bytes)
{
    return html::fromWindows1252(bytes);
}

std::optional<QByteArray> toWindows1252(QStringView text)
{
    return html::toWindows1252(text);
}

std::optional<int> parseInteger(QStringView text)
{
    const QStringView t = trimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        negative = t[i++] == u'-';
    if (i == t.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char16_t u = t[i].unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > INT32_MAX)
        return std::nullopt;
    return int(value);
}

QString wideUpperCase(const QString &text)
{
    return text.toUpper();
}

QString wideExtractFileName(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString wideExtractFilePath(const QString &path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

QString displayFileName(QStringView name)
{
    QString shown = name.toString();
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i].isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate())
            ++i; // a character beyond the first plane
        else if (shown[i].isSurrogate())
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}
