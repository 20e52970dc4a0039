#include "rowfile.h"
#include "store/inidoc.h"

#include <QTest>

class TestIniDocument : public QObject
{
    Q_OBJECT
  private slots:
    void reading_data() { addRowsFromFile(QStringLiteral("store/inireads.tsv")); }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        const std::optional<QString> got = IniDocument::parse(file).value(section, key);
        QTEST(got.value_or(QStringLiteral("<none>")), "value");
    }

    void writingChangesOneLine_data() { addRowsFromFile(QStringLiteral("store/iniwrites.tsv")); }
    void writingChangesOneLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        IniDocument doc = IniDocument::parse(before);
        QVERIFY(doc.setValue(section, key, u"new"));
        QTEST(doc.serialize(), "after");
    }

    // A NUL ends a value for other readers, and a line without a key name is no key; the
    // fuzz target finds every other refused value read back wrongly.
    void refusedValues()
    {
        const QByteArray file = "[S]\nk=old\n";
        IniDocument doc = IniDocument::parse(file);
        QVERIFY(!doc.setValue(u"S", u"k", QStringLiteral("a") + QChar(0) + "b"));
        QVERIFY(!doc.setValue(u"S", u" ", u"v"));
        QCOMPARE(doc.serialize(), file);
    }
};

QTEST_GUILESS_MAIN(TestIniDocument)
#include "test_inidoc.moc"
