#include "lang/languages.h"
#include "lang/phrases.h"
#include "langfixture.h"
#include "testenv.h"

#include <QTest>

namespace {
QByteArray languageFile(const QByteArray &name, const QByteArray &quit = "'Quit?'")
{
    return "LanguageName = " + name + "\r\nMsgQuit = " + quit + "\r\n";
}
} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QTemporaryDir m_second;

  private slots:
    void init()
    {
        languages() = Languages();
        for (const QTemporaryDir *dir : {&m_dir, &m_second}) {
            QDir folder(dir->path());
            for (const QString &name : folder.entryList(QDir::Files))
                folder.remove(name);
        }
    }

    void scanListsUsableFiles()
    {
        const std::pair<const char *, QByteArray> files[] = {
            {"a.lng", languageFile("'Deutsch'")},
            {"upper.LNG", languageFile("'Upper'")},
            {"other.txt", languageFile("'Text'")},
            {"noname.lng", "MsgQuit = 'x'\r\n"},
            {"blankname.lng", languageFile("")},
            // A name with control characters could forge lines of the settings file.
            {"break.lng", languageFile("'Deutsch'\\n'Installed=1'")},
            {"nul.lng", languageFile("'Deu'#0'tsch'")},
            {"escape.lng", languageFile("$1B'Deutsch'")}};
        for (const auto &[name, content] : files)
            writeLngFile(m_dir, QString::fromLatin1(name), content);
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.lng")));
        writeLngFile(m_second, "de.lng", languageFile("'Deutsch'", "'second'"));
        languages().scan(
            {m_dir.path(),
             m_dir.path() + QStringLiteral("/../") + QFileInfo(m_dir.path()).fileName(),
             QStringLiteral("/no/such/folder"), m_second.path()});
        QStringList names;
        for (int i = 0; i < languages().languageCount(); ++i)
            names.append(languages().languageNameAt(i));
        names.sort();
        QCOMPARE(names, QStringList({"Deutsch", "Deutsch", "Upper"}));
        QCOMPARE(languages().languageNameAt(-1), QString());
        QCOMPARE(languages().languageNameAt(3), QString());
        QCOMPARE(languages().currentLanguageName(), QString());
        QVERIFY(languages().setCurrentLanguage("deutsch"));
        QCOMPARE(phrase("MsgQuit"), "Quit?"); // the first folder wins
    }

    void selection_data()
    {
        QTest::addColumn<QByteArray>("ownName");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("selected");
        QTest::newRow("exact") << QByteArray("'Deutsch'") << "Deutsch" << true;
        QTest::newRow("ASCII case ignored") << QByteArray("'Deutsch'") << "dEUTSCH" << true;
        QTest::newRow("hotkeys of the request ignored")
            << QByteArray("'Deutsch'") << "&Deu&tsch" << true;
        QTest::newRow("own hotkey never matches")
            << QByteArray("'&Deutsch'") << "&Deutsch" << false;
        QTest::newRow("non-ASCII case counts")
            << QByteArray("'Fran'#199'ais'") << "français" << false;
        QTest::newRow("unknown") << QByteArray("'Deutsch'") << "English" << false;
        QTest::newRow("a bar in the name") << QByteArray("'Other|B'") << "Other|B" << true;
    }

    void selection()
    {
        QFETCH(QByteArray, ownName);
        QFETCH(QString, asked);
        QFETCH(bool, selected);
        QVERIFY(!languages().setCurrentLanguage(asked)); // nothing scanned yet
        writeLngFile(m_dir, "lang.lng", languageFile(ownName, "'Ende?'"));
        writeLngFile(m_dir, "other.lng", languageFile("'Other'", "'Aus?'"));
        languages().scan({m_dir.path()});
        QCOMPARE(languages().setCurrentLanguage(asked), selected);
        QCOMPARE(languages().currentLanguageName().isEmpty(), !selected);
        QCOMPARE(phrase("MsgQuit") == u"Ende?", selected);
    }

    void vanishedFileKeepsCurrentLanguage()
    {
        writeLngFile(m_dir, "de.lng", languageFile("'Deutsch'", "'Beenden?'"));
        const QString gone = writeLngFile(m_dir, "fr.lng", languageFile("'Fr'"));
        writeLngFile(m_dir, "it.lng", languageFile("'It'"));
        languages().scan({m_dir.path()});
        QVERIFY(languages().setCurrentLanguage("Deutsch"));
        QVERIFY(QFile::remove(gone));
        writeLngFile(m_dir, "it.lng", "");
        for (const QString &name : {QStringLiteral("Fr"), QStringLiteral("It")}) {
            QVERIFY(!languages().setCurrentLanguage(name));
            QCOMPARE(languages().currentLanguageName(), "Deutsch");
            QCOMPARE(phrase("MsgQuit"), QStringLiteral("Beenden?"));
        }
    }

    void fillPhrase_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("text");
        QTest::newRow("in order") << "a %s b %s" << QStringList{"1", "2"} << "a 1 b 2";
        QTest::newRow("missing argument") << "%s and %s" << QStringList{"x"} << "x and ";
        QTest::newRow("other conversions stay")
            << "%n %d %1 %% %" << QStringList{"x"} << "%n %d %1 %% %";
        QTest::newRow("argument not read again") << "%s|%s" << QStringList{"%s%n", "b"} << "%s%n|b";
        QTest::newRow("percent before s after percent") << "%%s" << QStringList{"x"} << "%x";
    }

    void fillPhrase()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, arguments);
        QTEST(::fillPhrase(pattern, arguments), "text");
    }

    void countSuffix_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QByteArray>("russian");
        QTest::addColumn<QByteArray>("english");
        const qint64 min = std::numeric_limits<qint64>::min(),
                     max = std::numeric_limits<qint64>::max();
        const std::tuple<qint64, const char *, const char *> table[] = {
            {0, "H", "M"},  {1, "S", "S"},   {2, "L", "M"},   {5, "H", "M"},
            {11, "H", "M"}, {21, "S", "M"},  {104, "L", "M"}, {112, "H", "M"},
            {-1, "S", "S"}, {-22, "L", "M"}, {min, "H", "M"}, {max, "H", "M"}};
        for (const auto &[count, russian, english] : table)
            QTest::addRow("%lld", qlonglong(count))
                << count << QByteArray(russian) << QByteArray(english);
    }

    void countSuffix()
    {
        QFETCH(qint64, count);
        selectTestLanguage(m_dir, "RussianGrammar = '1'");
        QTEST(::countSuffix(count), "russian");
        selectTestLanguage(m_dir, "RussianGrammar = ' 1'");
        QTEST(::countSuffix(count), "english");
    }

    // Dates follow the language, months by name, the time without seconds.
    void dateText_data()
    {
        QTest::addColumn<QByteArray>("language"); // empty: the built-in English
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("dateAndTime");
        QTest::newRow("English") << QByteArray() << "3 March 2001"
                                 << "3 Mar 2001, 13:05";
        QTest::newRow("German") << QByteArray("Locale = 'de_DE'\r\nFmtDate = 'd. MMMM yyyy'\r\n"
                                              "FmtDateTime = 'd. MMM yyyy, HH:mm'\r\n")
                                << "3. März 2001"
                                << "3. März 2001, 13:05";
    }
    void dateText()
    {
        QFETCH(QByteArray, language);
        if (!language.isEmpty())
            selectTestLanguage(m_dir, language);
        const DateTime value = 36953 + (13 * 60 + 5) / 1440.0 + 42 / 86400.0;
        QTEST(::dateText(value, false), "date");
        QTEST(::dateText(value, true), "dateAndTime");
        QCOMPARE(::dateText(std::nan(""), true), QString());
    }

    void defaultFolders()
    {
        const ScopedEnv data("XDG_DATA_HOME", "/data/home");
        const QStringList folders = defaultLanguageFolders();
        QCOMPARE(folders.first(), QCoreApplication::applicationDirPath());
        QVERIFY(folders.contains(QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)));
        QCOMPARE(folders.last(), "/data/home/favrake/lang");
        QVERIFY(folders.contains(
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/favrake/lang")));
    }
};

QTEST_GUILESS_MAIN(TestLanguages)
#include "test_languages.moc"
