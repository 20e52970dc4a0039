#include "store/hextext.h"
#include "store/inidoc.h"

#include <QTest>

namespace {
QByteArray utf16(const QString &text)
{
    return QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}
} // namespace

class TestIniDocument : public QObject
{
    Q_OBJECT
  private slots:
    // Every row reads key "k" of section "S" unless the row names others.
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("value"); // "<none>" when missing
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        const auto row = [](const char *name, const QByteArray &file, const QString &value,
                            const QString &section = "S", const QString &key = "k") {
            QTest::newRow(name) << file << value << section << key;
        };
        row("plain", "[S]\r\nk=v\r\n", "v");
        row("names without case", "[s]\nK=v\n", "v");
        row("blanks around", "[ S ]\n  k  =  v w  \n", "v w");
        row("first = splits", "[S]\nk=a=b\n", "a=b");
        row("first key wins", "[S]\nk=1\nk=2\n", "1");
        row("first section wins", "[S]\nk=1\n[S]\nk=2\n", "1");
        row("second section of a name is not read", "[S]\na=1\n[S]\nk=2\n", "<none>");
        row("longer section name with the same start", "[SS]\nk=1\n[S]\nk=2\n", "2");
        row("longer key name with the same start", "[S]\nkk=1\nk=2\n", "2");
        row("punctuation has no case", "[S]\nk{=1\n", "<none>", "S", "k[");
        row("key before any section", "k=1\n[S]\n", "<none>");
        row("other section", "[T]\nk=1\n[S]\n", "<none>");
        row("empty value", "[S]\nk=\n", "");
        row("CR endings", "[S]\rk=v\r", "v");
        row("no final newline", "[S]\r\nk=v", "v");
        row("long value cut", "[S]\nk=" + QByteArray(5000, 'x'), QString(maxValueLength, u'x'));
        row("UTF-8 with BOM", "\xEF\xBB\xBF[S]\nk=caf\xC3\xA9\n", "café");
        row("Windows-1252", "[S]\nk=caf\xE9\n", "café");
        row("UTF-16LE", utf16("[S]\r\nk=\u4E2D\r\n"), "\u4E2D");
        row("non-ASCII name is never an ASCII one", "[\xEF\xBB\xBFS]\nk=1\n[S]\nk=2\n", "2");
        row("comment is no key", "[S]\n;k=1\n", "<none>", "S", ";k");
        row("comment after blanks", "[S]\n \t;k=1\n", "<none>", "S", ";k");
        row("comment holds no section", "[T]\n;[S]\nk=1\n", "<none>");
        row("German section in other case", "[STRA\xC3\x9F\x45]\nk=1\n", "1", "Straße");
        row("Cyrillic key in other case", "[S]\n\xD0\x9A\xD0\x9B\xD0\xAE\xD0\xA7=1\n", "1", "S",
            "ключ");
        row("Windows-1252 name in other case", "[S]\n\xC4=1\n", "1", "S", "ä");
        row("UTF-16LE name in other case", utf16("[\u0416]\r\nk=1\r\n"), "1", "\u0436");
        row("Kelvin sign folds to k", "[S]\n\xE2\x84\xAA=1\n", "1");
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        const std::optional<QString> got = IniDocument::parse(file).value(section, key);
        QTEST(got.value_or(QStringLiteral("<none>")), "value");
    }

    void writingChangesOneLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char *name, const QByteArray &before, const QByteArray &after,
                            const QString &section = "Merkwerk", const QString &key = "Title") {
            QTest::newRow(name) << before << section << key << after;
        };
        row("replace keeps the key's spelling",
            "; note\r\n[InternetShortcut]\r\nURL=x\r\n[merkwerk]\r\n Title = old\r\n",
            "; note\r\n[InternetShortcut]\r\nURL=x\r\n[merkwerk]\r\n Title =new\r\n", "Merkwerk",
            "TITLE");
        row("new key after the section's last key", "[Merkwerk]\nA=1\n\n[Other]\nB=2\n",
            "[Merkwerk]\nA=1\nTitle=new\n\n[Other]\nB=2\n");
        row("a commented key is not replaced", "[Merkwerk]\n;Title=old\n",
            "[Merkwerk]\n;Title=old\nTitle=new\n");
        row("non-ASCII section in other case", "[\xD0\x9A\xD0\xAE]\nA=1\n",
            "[\xD0\x9A\xD0\xAE]\nA=1\nTitle=new\n", "\u043A\u044E");
        row("new section at the end, LF kept", "[InternetShortcut]\nURL=x\n",
            "[InternetShortcut]\nURL=x\n[Merkwerk]\nTitle=new\n");
        row("file without final newline", "[InternetShortcut]\r\nURL=x",
            "[InternetShortcut]\r\nURL=x\r\n[Merkwerk]\r\nTitle=new\r\n");
        row("Windows-1252 bytes elsewhere kept", "[InternetShortcut]\rIconFile=caf\xE9\x81\r",
            "[InternetShortcut]\rIconFile=caf\xE9\x81\r[Merkwerk]\rTitle=new\r");
        row("empty file", "", "[Merkwerk]\r\nTitle=new\r\n");
    }
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
