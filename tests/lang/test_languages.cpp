#include "lang/languages.h"
#include "lang/phrases.h"
#include "langfixture.h"

#include <QSet>
#include <QtTest>

namespace {
QByteArray LanguageFile(const QByteArray &name, const QByteArray &quit = "'Quit?'")
{
    return "LanguageName = " + name + "\r\nMsgQuit = " + quit + "\r\n";
}
} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void scanListsUsableFiles();
    void scanKeepsFolderAndListingOrder();
    void namesWithControlCharactersNotListed_data();
    void namesWithControlCharactersNotListed();
    void nameWithBarSelectsItsOwnFile();
    void selection_data();
    void selection();
    void vanishedFileKeepsCurrentLanguage();
    void phraseValues_data();
    void phraseValues();
    void englishDefaultsBeforeSelection();
    void applicationTexts();
    void fillPhrase_data();
    void fillPhrase();
    void countSuffix_data();
    void countSuffix();
    void defaultsTableComplete();
    void defaultFolders();

  private:
    void Select(const QByteArray &content);
    QTemporaryDir m_dir;
    QTemporaryDir m_second;
};

void TestLanguages::init()
{
    Languages() = TLanguages();
    for (const QTemporaryDir *dir : {&m_dir, &m_second}) {
        QDir folder(dir->path());
        for (const QString &name : folder.entryList(QDir::Files))
            folder.remove(name);
    }
}

void TestLanguages::Select(const QByteArray &content)
{
    WriteLngFile(m_dir, QStringLiteral("test.lng"), LanguageFile("'Test'") + content);
    Languages().Scan({m_dir.path()});
    QVERIFY(Languages().SetCurrentLanguage(QStringLiteral("Test")));
}

void TestLanguages::scanListsUsableFiles()
{
    WriteLngFile(m_dir, QStringLiteral("a.lng"), LanguageFile("'Deutsch'"));
    WriteLngFile(m_dir, QStringLiteral("upper.LNG"), LanguageFile("'Upper'"));
    WriteLngFile(m_dir, QStringLiteral("other.txt"), LanguageFile("'Text'"));
    WriteLngFile(m_dir, QStringLiteral("noname.lng"), "MsgQuit = 'x'\r\n");
    WriteLngFile(m_dir, QStringLiteral("emptyname.lng"), LanguageFile("''"));
    WriteLngFile(m_dir, QStringLiteral("blankname.lng"), LanguageFile(""));
    WriteLngFile(m_dir, QStringLiteral("empty.lng"), "");
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.lng")));
    Languages().Scan({m_dir.path(),
                      m_dir.path() + QStringLiteral("/../") + QFileInfo(m_dir.path()).fileName(),
                      QStringLiteral("/no/such/folder")});
    QStringList names;
    for (int i = 0; i < Languages().LanguageCount(); ++i)
        names.append(Languages().LanguageNameAt(i));
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("Deutsch"), QStringLiteral("Upper")}));
    QCOMPARE(Languages().LanguageNameAt(-1), QString());
    QCOMPARE(Languages().LanguageNameAt(2), QString());
    QCOMPARE(Languages().CurrentLanguageName(), QString());
}

void TestLanguages::scanKeepsFolderAndListingOrder()
{
    WriteLngFile(m_dir, QStringLiteral("one.lng"), LanguageFile("'Same'", "'first'"));
    WriteLngFile(m_second, QStringLiteral("two.lng"), LanguageFile("'Same'", "'second'"));
    WriteLngFile(m_second, QStringLiteral("three.lng"), LanguageFile("'Other'"));
    Languages().Scan({m_dir.path(), m_second.path()});
    QCOMPARE(Languages().LanguageCount(), 3);
    QCOMPARE(Languages().LanguageNameAt(0), QStringLiteral("Same"));
    QVERIFY(Languages().SetCurrentLanguage(QStringLiteral("same")));
    QCOMPARE(Phrase("MsgQuit"), QStringLiteral("first"));
}

void TestLanguages::namesWithControlCharactersNotListed_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("line break") << QByteArray("'Deutsch'\\n'Installed=1'");
    QTest::newRow("carriage return") << QByteArray("'Deutsch'#13");
    QTest::newRow("tab") << QByteArray("'Deu'\\t'tsch'");
    QTest::newRow("nul") << QByteArray("'Deu'#0'tsch'");
    QTest::newRow("escape") << QByteArray("$1B'Deutsch'");
}

void TestLanguages::namesWithControlCharactersNotListed()
{
    QFETCH(QByteArray, name);
    WriteLngFile(m_dir, QStringLiteral("bad.lng"), LanguageFile(name));
    WriteLngFile(m_dir, QStringLiteral("good.lng"), LanguageFile("'Good'"));
    Languages().Scan({m_dir.path()});
    QCOMPARE(Languages().LanguageCount(), 1);
    QCOMPARE(Languages().LanguageNameAt(0), QStringLiteral("Good"));
}

void TestLanguages::nameWithBarSelectsItsOwnFile()
{
    WriteLngFile(m_dir, QStringLiteral("plain.lng"), LanguageFile("'A'", "'plain'"));
    WriteLngFile(m_dir, QStringLiteral("bar.lng"), LanguageFile("'A|B'", "'bar'"));
    Languages().Scan({m_dir.path()});
    QVERIFY(Languages().SetCurrentLanguage(QStringLiteral("A|B")));
    QCOMPARE(Languages().CurrentLanguageName(), QStringLiteral("A|B"));
    QCOMPARE(Phrase("MsgQuit"), QStringLiteral("bar"));
    QVERIFY(Languages().SetCurrentLanguage(QStringLiteral("A")));
    QCOMPARE(Phrase("MsgQuit"), QStringLiteral("plain"));
}

void TestLanguages::selection_data()
{
    QTest::addColumn<QByteArray>("ownName");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("selected");
    QTest::newRow("exact") << QByteArray("'Deutsch'") << QStringLiteral("Deutsch") << true;
    QTest::newRow("ASCII case ignored")
        << QByteArray("'Deutsch'") << QStringLiteral("dEUTSCH") << true;
    QTest::newRow("hotkeys of the request ignored")
        << QByteArray("'Deutsch'") << QStringLiteral("&Deu&tsch") << true;
    QTest::newRow("own hotkey never matches")
        << QByteArray("'&Deutsch'") << QStringLiteral("&Deutsch") << false;
    QTest::newRow("non-ASCII case counts")
        << QByteArray("'Fran'#199'ais'") << QStringLiteral("français") << false;
    QTest::newRow("non-ASCII same case")
        << QByteArray("'Fran'#231'ais'") << QStringLiteral("FRANçAIS") << true;
    QTest::newRow("unknown") << QByteArray("'Deutsch'") << QStringLiteral("English") << false;
    QTest::newRow("empty request") << QByteArray("'Deutsch'") << QString() << false;
}

void TestLanguages::selection()
{
    QFETCH(QByteArray, ownName);
    QFETCH(QString, asked);
    QFETCH(bool, selected);
    QVERIFY(!Languages().SetCurrentLanguage(asked)); // nothing scanned yet
    WriteLngFile(m_dir, QStringLiteral("lang.lng"), LanguageFile(ownName, "'Ende?'"));
    Languages().Scan({m_dir.path()});
    QCOMPARE(Languages().SetCurrentLanguage(asked), selected);
    QCOMPARE(Languages().CurrentLanguageName().isEmpty(), !selected);
    QCOMPARE(Phrase("MsgQuit") == u"Ende?", selected);
}

void TestLanguages::vanishedFileKeepsCurrentLanguage()
{
    WriteLngFile(m_dir, QStringLiteral("de.lng"), LanguageFile("'Deutsch'", "'Beenden?'"));
    const QString gone = WriteLngFile(m_dir, QStringLiteral("fr.lng"), LanguageFile("'Fr'"));
    const QString emptied = WriteLngFile(m_dir, QStringLiteral("it.lng"), LanguageFile("'It'"));
    Languages().Scan({m_dir.path()});
    QVERIFY(Languages().SetCurrentLanguage(QStringLiteral("Deutsch")));
    QVERIFY(QFile::remove(gone));
    WriteLngFile(m_dir, QStringLiteral("it.lng"), "");
    for (const QString &name : {QStringLiteral("Fr"), QStringLiteral("It")}) {
        QVERIFY(!Languages().SetCurrentLanguage(name));
        QCOMPARE(Languages().CurrentLanguageName(), QStringLiteral("Deutsch"));
        QCOMPARE(Phrase("MsgQuit"), QStringLiteral("Beenden?"));
    }
}

void TestLanguages::phraseValues_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::newRow("nothing after equals") << QByteArray("MsgHide =  \r\n") << QString() << false;
    QTest::newRow("two quotes") << QByteArray("MsgHide = ''") << QStringLiteral("") << true;
    QTest::newRow("bare word") << QByteArray("MsgHide = Hidden") << QStringLiteral("") << true;
    QTest::newRow("upper-case key, first wins")
        << QByteArray("MSGHIDE = 'one'\nMsgHide = 'two'") << QStringLiteral("one") << true;
    QTest::newRow("Windows-1252 letter")
        << QByteArray("MsgHide = 'Cach'#233") << QStringLiteral("Caché") << true;
    QTest::newRow("line breaks") << QByteArray("MsgHide = 'a'\\n'b'") << QStringLiteral("a\r\nb")
                                 << true;
}

void TestLanguages::phraseValues()
{
    QFETCH(QByteArray, entries);
    QFETCH(QString, text);
    QFETCH(bool, found);
    Select(entries);
    QCOMPARE(Languages().FindLngValue("MsgHide").has_value(), found);
    const QString english = QStringLiteral("The \"Hide\" command");
    QCOMPARE(Phrase("MsgHide").startsWith(english), !found);
    QCOMPARE(Phrase("MsgHide", QStringLiteral("fallback")),
             found ? text : QStringLiteral("fallback"));
}

void TestLanguages::englishDefaultsBeforeSelection()
{
    WriteLngFile(m_dir, QStringLiteral("de.lng"), LanguageFile("'Deutsch'", "'Beenden?'"));
    Languages().Scan({m_dir.path()});
    QCOMPARE(Phrase("MsgQuit"), QStringLiteral("Do You really want to quit Favrake?"));
    QCOMPARE(Phrase("Elem.URL"), QStringLiteral("URL"));
    QCOMPARE(Phrase("Elem.Folder"), QStringLiteral("Folder"));
    QCOMPARE(Phrase("NoSuchKey"), QString());
    QVERIFY(!Languages().ApplyLanguage());
}

void TestLanguages::applicationTexts()
{
    Languages().ApplicationTexts().HelpFile = QStringLiteral("/usr/share/help.html");
    Select("ApplicationTitle = 'Favrake DE'\nApplicationHint = 'Tipp'\n"
           "ApplicationName = 'App'\nHelpFile = ''\n");
    QVERIFY(Languages().ApplyLanguage());
    const TApplicationTexts &texts = Languages().ApplicationTexts();
    QCOMPARE(texts.Title, QStringLiteral("Favrake DE"));
    QCOMPARE(texts.Hint, QStringLiteral("Tipp"));
    QCOMPARE(texts.Name, QStringLiteral("App"));
    QCOMPARE(texts.HelpFile, QStringLiteral("/usr/share/help.html"));
}

void TestLanguages::fillPhrase_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("text");
    QTest::newRow("in order") << QStringLiteral("a %s b %s") << QStringList{"1", "2"}
                              << QStringLiteral("a 1 b 2");
    QTest::newRow("missing argument")
        << QStringLiteral("%s and %s") << QStringList{"x"} << QStringLiteral("x and ");
    QTest::newRow("extra arguments")
        << QStringLiteral("no place") << QStringList{"x", "y"} << QStringLiteral("no place");
    QTest::newRow("other conversions stay")
        << QStringLiteral("%n %d %1 %% %") << QStringList{"x"} << QStringLiteral("%n %d %1 %% %");
    QTest::newRow("argument not read again")
        << QStringLiteral("%s|%s") << QStringList{"%s%n", "b"} << QStringLiteral("%s%n|b");
    QTest::newRow("percent before s after percent")
        << QStringLiteral("%%s") << QStringList{"x"} << QStringLiteral("%x");
}

void TestLanguages::fillPhrase()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, arguments);
    QFETCH(QString, text);
    QCOMPARE(FillPhrase(pattern, arguments), text);
}

void TestLanguages::countSuffix_data()
{
    QTest::addColumn<bool>("russian");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QByteArray>("suffix");
    const QList<std::pair<qint64, QByteArray>> russian = {
        {0, "H"},
        {1, "S"},
        {2, "L"},
        {3, "L"},
        {4, "L"},
        {5, "H"},
        {11, "H"},
        {12, "H"},
        {19, "H"},
        {21, "S"},
        {22, "L"},
        {104, "L"},
        {111, "H"},
        {112, "H"},
        {121, "S"},
        {-1, "S"},
        {-22, "L"},
        {-11, "H"},
        {std::numeric_limits<qint64>::min(), "H"},
        {std::numeric_limits<qint64>::max(), "H"}};
    for (const auto &[count, suffix] : russian)
        QTest::addRow("russian %lld", qlonglong(count)) << true << count << suffix;
    const QList<std::pair<qint64, QByteArray>> english = {
        {0, "M"}, {1, "S"},  {-1, "S"},
        {2, "M"}, {21, "M"}, {std::numeric_limits<qint64>::min(), "M"}};
    for (const auto &[count, suffix] : english)
        QTest::addRow("english %lld", qlonglong(count)) << false << count << suffix;
}

void TestLanguages::countSuffix()
{
    QFETCH(bool, russian);
    QFETCH(qint64, count);
    QFETCH(QByteArray, suffix);
    Select(russian ? "RussianGrammar = '1'" : "RussianGrammar = ' 1'");
    QCOMPARE(CountSuffix(count), suffix);
}

void TestLanguages::defaultsTableComplete()
{
    QSet<QByteArray> keys;
    for (const TPhraseDefault &entry : PhraseDefaults()) {
        QVERIFY2(!keys.contains(entry.Key), entry.Key);
        keys.insert(entry.Key);
        QCOMPARE(Phrase(entry.Key), QString::fromUtf8(entry.English));
    }
    for (const char *base : {"InstallDlg-BCount", "InstallDlg-FCount"}) {
        for (const char *letter : {"S", "L", "H", "M"})
            QVERIFY(keys.contains(QByteArray(base) + letter));
    }
    for (const char *element : {"Name", "URL", "Title", "Description", "Time"}) {
        QVERIFY(keys.contains(QByteArray("Elem.") + element));
        QCOMPARE(Phrase(QByteArray("Elem.") + element), QString::fromLatin1(element));
    }
}

void TestLanguages::defaultFolders()
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/data/home");
    QStringList folders = DefaultLanguageFolders();
    QCOMPARE(folders.first(), QCoreApplication::applicationDirPath());
    QVERIFY(folders.contains(QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)));
    QCOMPARE(folders.last(), QStringLiteral("/data/home/favrake/lang"));
    QVERIFY(folders.contains(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/favrake/lang")));
    qputenv("XDG_DATA_HOME", "relative/path");
    folders = DefaultLanguageFolders();
    QCOMPARE(folders.last(), QDir::homePath() + QStringLiteral("/.local/share/favrake/lang"));
    qputenv("XDG_DATA_HOME", saved);
}

QTEST_GUILESS_MAIN(TestLanguages)
#include "test_languages.moc"
