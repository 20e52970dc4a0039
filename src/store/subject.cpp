#include "subject.h"

#include "textutil.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Lines this short never win, so the index leaves them out.
constexpr qsizetype kMinLength = 5;

struct CharClasses
{
    bool word[256] = {};
    bool extendedWord[256] = {};

    constexpr CharClasses()
    {
        for (int c = 0; c < 256; ++c) {
            word[c] = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      (c >= 0x80 && c <= 0xFE);
            extendedWord[c] = word[c] || c == '-' || c == '.';
        }
    }
};
constexpr CharClasses kClasses;

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// The phrase without its spaces, and the text as written from the first to the last matched word.
PhraseMatch extractMatch(QByteArrayView text, const std::vector<int> &map, QByteArrayView line,
                         qsizetype at)
{
    PhraseMatch result;
    result.phrase = trimBlanks(line).toByteArray();
    const qsizetype first = map[size_t(at)] - 1;
    const qsizetype last = map[size_t(at + line.size() - 1)] - 1;
    // Blanks and control characters are not word characters: stripping those trims them.
    QByteArrayView match = text.sliced(first, last - first + 1);
    while (!match.isEmpty() && !kClasses.word[uint8_t(match.front())])
        match = match.sliced(1);
    while (!match.isEmpty() && !kClasses.word[uint8_t(match.back())])
        match.chop(1);
    result.match = match.toByteArray();
    result.rating = int(result.match.size());
    return result;
}

bool lessBytes(QByteArrayView a, QByteArrayView b)
{
    const int c = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    return c != 0 ? c < 0 : a.size() < b.size();
}

} // namespace

QByteArray normalizeText(QByteArrayView text, bool extended, std::vector<int> *map)
{
    text = text.first(std::min<qsizetype>(text.size(), INT_MAX - 2));
    const bool *isWord = extended ? kClasses.extendedWord : kClasses.word;
    QByteArray out;
    out.reserve(text.size() + 2);
    if (map) {
        map->clear();
        map->reserve(size_t(text.size()) + 2);
    }
    const auto append = [&](char c, qsizetype position) {
        out.append(c);
        if (map)
            map->push_back(int(position));
    };
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = upperAscii(text[i]);
        if (c == '\'')
            continue;
        if (isWord[uint8_t(c)]) {
            if (out.isEmpty())
                append(' ', i + 1);
            append(c, i + 1);
            inWord = true;
        } else if (inWord) {
            append(' ', i + 1);
            inWord = false;
        }
    }
    if (inWord)
        append(' ', text.size());
    return out;
}

QByteArray queryForm(QByteArrayView text)
{
    QByteArray query = trimBlanks(normalizeText(text, true)).toByteArray();
    for (char &c : query) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return query;
}

QList<QByteArray> splitSubjectLines(QByteArrayView text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.append(text.sliced(start, i - start).toByteArray());
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start).toByteArray());
    return lines;
}

PhraseMatch matchPhrasePlain(QByteArrayView text, const QList<QByteArray> &lines)
{
    if (lines.isEmpty() || text.isEmpty())
        return {};
    std::vector<int> map;
    const QByteArray normal = normalizeText(text, false, &map);
    qsizetype bestLength = 4;
    qsizetype bestAt = -1;
    qsizetype bestLine = -1;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const qsizetype at = normal.indexOf(lines[i]);
        if (at >= 0 && lines[i].size() > bestLength) {
            bestLine = i;
            bestAt = at;
            bestLength = lines[i].size();
        }
    }
    if (bestLine < 0)
        return {};
    return extractMatch(text, map, lines[bestLine], bestAt);
}

SubjectMatcher::SubjectMatcher(const QList<QByteArray> &lines)
{
    m_lineStart.reserve(size_t(lines.size()) + 1);
    for (const QByteArray &line : lines) {
        m_lineStart.push_back(m_lines.size());
        m_lines.append(line);
    }
    m_lineStart.push_back(m_lines.size());

    // Sorted by content, equal lines by position: the trie is then built in one pass and
    // the last of equal lines is the one a node keeps.
    std::vector<int> order;
    for (qsizetype i = 0; i < lineCount(); ++i) {
        if (lineAt(i).size() >= kMinLength)
            order.push_back(int(i));
    }
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        const QByteArrayView la = lineAt(a), lb = lineAt(b);
        return la == lb ? a < b : lessBytes(la, lb);
    });
    buildTrie(order);
    buildFailureLinks();
}

QByteArrayView SubjectMatcher::lineAt(qsizetype i) const
{
    return QByteArrayView(m_lines).sliced(m_lineStart[size_t(i)],
                                          m_lineStart[size_t(i) + 1] - m_lineStart[size_t(i)]);
}

bool SubjectMatcher::isBetter(int line, int than) const
{
    if (than < 0)
        return true;
    const qsizetype a = lineAt(line).size(), b = lineAt(than).size();
    return a != b ? a > b : line > than;
}

void SubjectMatcher::buildTrie(const std::vector<int> &order)
{
    struct Edge
    {
        int parent;
        uint8_t byte;
        int child;
    };
    std::vector<Edge> edges;
    std::vector<int> path{0}; // nodes along the previous line
    m_best.assign(1, -1);
    QByteArrayView previous;
    for (const int index : order) {
        const QByteArrayView line = lineAt(index);
        qsizetype common = 0;
        while (common < previous.size() && common < line.size() && previous[common] == line[common])
            ++common;
        path.resize(size_t(common) + 1);
        for (qsizetype d = common; d < line.size(); ++d) {
            const int child = int(m_best.size());
            m_best.push_back(-1);
            edges.push_back({path.back(), uint8_t(line[d]), child});
            path.push_back(child);
        }
        m_best[size_t(path.back())] = index; // equal lines come in order: the last one stays
        previous = line;
    }

    // Sorted input creates the children of each node in byte order; a stable counting
    // sort by parent keeps that order.
    const size_t nodes = m_best.size();
    m_edgeStart.assign(nodes + 1, 0);
    for (const Edge &e : edges)
        ++m_edgeStart[size_t(e.parent) + 1];
    for (size_t n = 0; n < nodes; ++n)
        m_edgeStart[n + 1] += m_edgeStart[n];
    std::vector<int> fill(m_edgeStart.begin(), m_edgeStart.end() - 1);
    m_edgeByte.resize(edges.size());
    m_edgeTarget.resize(edges.size());
    for (const Edge &e : edges) {
        const int slot = fill[size_t(e.parent)]++;
        m_edgeByte[size_t(slot)] = e.byte;
        m_edgeTarget[size_t(slot)] = e.child;
    }
}

int SubjectMatcher::childOf(int node, uint8_t byte) const
{
    for (int e = m_edgeStart[size_t(node)], end = m_edgeStart[size_t(node) + 1]; e < end; ++e) {
        if (m_edgeByte[size_t(e)] >= byte)
            return m_edgeByte[size_t(e)] == byte ? m_edgeTarget[size_t(e)] : -1;
    }
    return -1;
}

void SubjectMatcher::buildFailureLinks()
{
    m_fail.assign(m_best.size(), 0);
    std::vector<int> queue;
    queue.reserve(m_best.size());
    for (int e = m_edgeStart[0]; e < m_edgeStart[1]; ++e) {
        m_rootNext[m_edgeByte[size_t(e)]] = m_edgeTarget[size_t(e)];
        queue.push_back(m_edgeTarget[size_t(e)]);
    }
    // Breadth first, so that every failure target is complete before it is used.
    for (size_t q = 0; q < queue.size(); ++q) {
        const int node = queue[q];
        for (int e = m_edgeStart[size_t(node)]; e < m_edgeStart[size_t(node) + 1]; ++e) {
            const uint8_t byte = m_edgeByte[size_t(e)];
            const int child = m_edgeTarget[size_t(e)];
            int fail = m_fail[size_t(node)];
            int next = -1;
            while ((next = fail == 0 ? m_rootNext[byte] : childOf(fail, byte)) < 0)
                fail = m_fail[size_t(fail)];
            m_fail[size_t(child)] = next;
            const int inherited = m_best[size_t(next)];
            if (inherited >= 0 && isBetter(inherited, m_best[size_t(child)]))
                m_best[size_t(child)] = inherited;
            queue.push_back(child);
        }
    }
}

PhraseMatch SubjectMatcher::match(QByteArrayView text) const
{
    if (m_edgeTarget.empty() || text.isEmpty())
        return {};
    std::vector<int> map;
    const QByteArray normal = normalizeText(text, false, &map);
    int node = 0;
    int bestLine = -1;
    qsizetype bestEnd = 0;
    for (qsizetype i = 0; i < normal.size(); ++i) {
        const uint8_t byte = uint8_t(normal[i]);
        int next = -1;
        while (node != 0 && (next = childOf(node, byte)) < 0)
            node = m_fail[size_t(node)];
        node = node == 0 ? m_rootNext[byte] : next;
        // The first end of the winning line is its first occurrence: later ones of the
        // same line are not better and leave the position alone.
        const int line = m_best[size_t(node)];
        if (line >= 0 && line != bestLine && isBetter(line, bestLine)) {
            bestLine = line;
            bestEnd = i;
        }
    }
    if (bestLine < 0)
        return {};
    const QByteArrayView line = lineAt(bestLine);
    return extractMatch(text, map, line, bestEnd - line.size() + 1);
}

const SubjectMatcher &builtInSubjects()
{
    static const SubjectMatcher subjects = [] {
        // The resource lives in a static library: without this its registration would
        // never be linked in.
        Q_INIT_RESOURCE(subjects);
        QFile file(QStringLiteral(":/subjects/subjects.txt"));
        const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return SubjectMatcher(splitSubjectLines(text));
    }();
    return subjects;
}

PhraseMatch matchPhrase(QByteArrayView text)
{
    return builtInSubjects().match(text);
}
