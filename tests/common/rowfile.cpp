#include "rowfile.h"

#include <QFile>
#include <QTest>

#include <deque>

namespace {

enum class Kind { Text, Bytes, Int, Int64, Double, Bool, List };

struct Column
{
    QByteArray name;
    Kind kind = Kind::Text;
};

Column parseColumn(const QByteArray &spec)
{
    const qsizetype colon = spec.lastIndexOf(':');
    if (colon < 0) {
        return {spec, Kind::Text};
    }
    const QByteArray type = spec.mid(colon + 1);
    const QByteArray name = spec.left(colon);
    if (type == "bytes") {
        return {name, Kind::Bytes};
    }
    if (type == "int") {
        return {name, Kind::Int};
    }
    if (type == "int64") {
        return {name, Kind::Int64};
    }
    if (type == "double") {
        return {name, Kind::Double};
    }
    if (type == "bool") {
        return {name, Kind::Bool};
    }
    if (type == "list") {
        return {name, Kind::List};
    }
    qFatal("rowfile: unknown column type in %s", spec.constData());
}

QByteArray unescape(const QByteArray &cell)
{
    QByteArray out;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (cell[i] != '\\' || i + 1 == cell.size()) {
            out += cell[i];
            continue;
        }
        const char next = cell[++i];
        if (next == 'x' && i + 2 < cell.size()) {
            out += char(cell.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            static const QByteArray from = "tnr\\|";
            static const QByteArray to = "\t\n\r\\|";
            const qsizetype at = from.indexOf(next);
            out += at < 0 ? QByteArray{'\\', next} : QByteArray(1, to[at]);
        }
    }
    return out;
}

QStringList splitList(const QByteArray &cell)
{
    QStringList parts;
    if (cell.isEmpty()) {
        return parts;
    }
    QByteArray part;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (cell[i] == '\\' && i + 1 < cell.size()) {
            part += cell.mid(i++, 2);
        } else if (cell[i] == '|') {
            parts << QString::fromUtf8(unescape(part));
            part.clear();
        } else {
            part += cell[i];
        }
    }
    return parts << QString::fromUtf8(unescape(part));
}

// Qt Test keeps the column name's pointer, so the names live as long as the program.
const char *lastingName(const QByteArray &name)
{
    static std::deque<QByteArray> names;
    return names.emplace_back(name).constData();
}

void addColumn(const Column &column)
{
    const char *name = lastingName(column.name);
    switch (column.kind) {
    case Kind::Text:
        return QTest::addColumn<QString>(name);
    case Kind::Bytes:
        return QTest::addColumn<QByteArray>(name);
    case Kind::Int:
        return QTest::addColumn<int>(name);
    case Kind::Int64:
        return QTest::addColumn<qint64>(name);
    case Kind::Double:
        return QTest::addColumn<double>(name);
    case Kind::Bool:
        return QTest::addColumn<bool>(name);
    case Kind::List:
        return QTest::addColumn<QStringList>(name);
    }
}

void addCell(QTestData &row, const Column &column, const QByteArray &cell)
{
    switch (column.kind) {
    case Kind::Text:
        row << QString::fromUtf8(unescape(cell));
        return;
    case Kind::Bytes:
        row << unescape(cell);
        return;
    case Kind::Int:
        row << cell.toInt();
        return;
    case Kind::Int64:
        row << cell.toLongLong();
        return;
    case Kind::Double:
        row << cell.toDouble();
        return;
    case Kind::Bool:
        row << (cell == "true");
        return;
    case Kind::List:
        row << splitList(cell);
        return;
    }
}

bool isRowLine(const QByteArray &line)
{
    return !line.trimmed().isEmpty() && !line.startsWith('#');
}

} // namespace

void addRowsFromFile(const QString &relativePath)
{
    QFile file(QStringLiteral(FAVRAKE_TEST_DATA "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("rowfile: cannot read %s", qPrintable(file.fileName()));
    }
    QList<Column> columns;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (!isRowLine(line)) {
            continue;
        }
        const QByteArrayList cells = line.split('\t');
        if (columns.isEmpty()) {
            for (const QByteArray &spec : cells.mid(1)) {
                columns << parseColumn(spec);
                addColumn(columns.back());
            }
            continue;
        }
        if (cells.size() != columns.size() + 1) {
            qFatal("rowfile: %s: %lld cells where %lld are named: %s", qPrintable(relativePath),
                   qlonglong(cells.size()), qlonglong(columns.size() + 1), line.constData());
        }
        QTestData &row = QTest::newRow(unescape(cells[0]).constData());
        for (qsizetype i = 0; i < columns.size(); ++i) {
            addCell(row, columns[i], cells[i + 1]);
        }
    }
}
