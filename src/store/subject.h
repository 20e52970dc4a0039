#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <cstdint>
#include <vector>

// Subject phrase matching over narrow (UTF-8) text.
struct PhraseMatch
{
    int rating = 0;    // length of Match; 0 = no subject found
    QByteArray phrase; // the dictionary line without surrounding blanks
    QByteArray match;  // the words of the text that matched, as the text writes them
};

// Upper-case words separated by single spaces, with a space before and after; map (when
// given) receives for each output character the 1-based position of its source byte.
// Positions are 32-bit, so only the first INT_MAX - 2 bytes of a text are read.
QByteArray normalizeText(QByteArrayView text, bool extended, std::vector<int> *map = nullptr);

// The longest dictionary line found in the text (ties go to the later line).
PhraseMatch matchPhrase(QByteArrayView text);

// The lower-case normalised form of a phrase, as the link-collection request carries it.
QByteArray queryForm(QByteArrayView text);

// Dictionary lines as the built-in text holds them: split at CR, LF or CR LF; a last line
// without line end counts, an empty text has no line.
QList<QByteArray> splitSubjectLines(QByteArrayView text);

// A subject dictionary with an index over its lines, so that a lookup costs about the
// length of the text instead of the size of the dictionary. Its answer is the one of
// MatchPhrasePlain over the same lines.
class SubjectMatcher final
{
  public:
    explicit SubjectMatcher(const QList<QByteArray> &lines);

    qsizetype lineCount() const { return qsizetype(m_lineStart.size()) - 1; }
    QByteArrayView lineAt(qsizetype i) const;
    PhraseMatch match(QByteArrayView text) const;

  private:
    void buildTrie(const std::vector<int> &order);
    void buildFailureLinks();
    int childOf(int node, uint8_t byte) const;
    bool isBetter(int line, int than) const; // longer, or as long and later

    QByteArray m_lines;                 // all lines, back to back
    std::vector<qsizetype> m_lineStart; // LineCount() + 1 offsets into m_lines

    // Aho-Corasick automaton over the lines that can match; node 0 is the root.
    std::vector<int> m_edgeStart;    // per node: its edges are m_edgeStart[n] .. [n + 1]
    std::vector<uint8_t> m_edgeByte; // sorted within a node
    std::vector<int> m_edgeTarget;
    std::vector<int> m_fail;
    std::vector<int> m_best; // best line ending at the node or at a suffix of it; -1: none
    int m_rootNext[256] = {};
};

// The built-in dictionary, read from the resource at the first call (thread-safe).
const SubjectMatcher &builtInSubjects();

// Every line tested one by one against the text: the reference the index must agree with.
PhraseMatch matchPhrasePlain(QByteArrayView text, const QList<QByteArray> &lines);
