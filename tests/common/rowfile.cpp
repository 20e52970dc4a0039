#include "rowfile.h"

#include <QFile>
#include <QTest>

#include <deque>

namespace {

struct Column
{
    const char *name; // Qt Test keeps the pointer: see lastingName
    QMetaType type;
};

const char *lastingName(const QByteArray &name)
{
    static std::deque<QByteArray> names;
    return names.emplace_back(name).constData();
}

Column parseColumn(const QByteArray &spec)
{
    static const std::pair<const char *, QMetaType> types[] = {
        {"bytes", QMetaType::fromType<QByteArray>()}, {"int", QMetaType::fromType<int>()},
        {"int64", QMetaType::fromType<qint64>()},     {"double", QMetaType::fromType<double>()},
        {"bool", QMetaType::fromType<bool>()},        {"list", QMetaType::fromType<QStringList>()}};
    const qsizetype colon = spec.lastIndexOf(':');
    if (colon < 0)
        return {lastingName(spec), QMetaType::fromType<QString>()};
    for (const auto &[suffix, type] : types)
        if (spec.mid(colon + 1) == suffix)
            return {lastingName(spec.left(colon)), type};
    qFatal("rowfile: unknown column type in %s", spec.constData());
}

QByteArray unescape(const QByteArray &cell)
{
    static const QByteArray from = "tnr\\|";
    static const QByteArray to = "\t\n\r\\|";
    QByteArray out;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const qsizetype at =
            i + 1 < cell.size() && cell[i] == '\\' ? from.indexOf(cell[i + 1]) : -1;
        if (at >= 0) {
            out += to[at];
            ++i;
        } else if (cell.mid(i, 2) == "\\x" && i + 3 < cell.size()) {
            out += char(cell.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            out += cell[i];
        }
    }
    return out;
}

// Parts split at each "|" that no backslash escapes.
QStringList splitList(const QByteArray &cell)
{
    QStringList parts;
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= cell.size() && !cell.isEmpty(); ++i) {
        if (i < cell.size() && cell[i] == '\\') {
            ++i;
        } else if (i == cell.size() || cell[i] == '|') {
            parts << QString::fromUtf8(unescape(cell.mid(begin, i - begin)));
            begin = i + 1;
        }
    }
    return parts;
}

QVariant cellValue(const Column &column, const QByteArray &cell)
{
    if (column.type == QMetaType::fromType<QByteArray>())
        return unescape(cell);
    if (column.type == QMetaType::fromType<QStringList>())
        return splitList(cell);
    if (column.type == QMetaType::fromType<bool>() && cell != "true" && cell != "false")
        qFatal("rowfile: %s is no truth value", cell.constData());
    QVariant value(QString::fromUtf8(unescape(cell)));
    if (!value.convert(column.type))
        qFatal("rowfile: %s is no %s", cell.constData(), column.type.name());
    return value;
}

QByteArray dataFile(const QString &relativePath)
{
    QFile file(QStringLiteral(FAVRAKE_TEST_DATA "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("rowfile: cannot read %s", qPrintable(file.fileName()));
    return file.readAll();
}

} // namespace

QStringList dataLines(const QString &relativePath)
{
    QStringList lines = QString::fromUtf8(dataFile(relativePath)).split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString &line) { return line.startsWith(u'#'); });
    return lines;
}

void addRowsFromFile(const QString &relativePath)
{
    QList<Column> columns;
    for (QByteArray line : dataFile(relativePath).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        const QByteArrayList cells = line.split('\t');
        if (columns.isEmpty()) {
            for (const QByteArray &spec : cells.mid(1)) {
                columns << parseColumn(spec);
                QTest::addColumnInternal(columns.back().type.id(), columns.back().name);
            }
        } else if (cells.size() > columns.size() + 1) {
            qFatal("rowfile: %s: %lld cells where %lld are named: %s", qPrintable(relativePath),
                   qlonglong(cells.size()), qlonglong(columns.size() + 1), line.constData());
        } else {
            QTestData &row = QTest::newRow(unescape(cells[0]).constData());
            for (qsizetype i = 0; i < columns.size(); ++i)
                row.append(columns[i].type.id(),
                           cellValue(columns[i], cells.value(i + 1)).constData());
        }
    }
}
