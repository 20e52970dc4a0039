#include "lang/languages.h"
#include "lang/phrases.h"
#include "langfixture.h"
#include "testenv.h"

#include <QTest>

namespace {
QByteArray LanguageFile(const QByteArray &name, const QByteArray &quit = "'Quit?'")
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
        Languages() = TLanguages();
        for (const QTemporaryDir *dir : {&m_dir, &m_second}) {
            QDir folder(dir->path());
            for (const QString &name : folder.entryList(QDir::Files))
                folder.remove(name);
        }
    }

    void scanListsUsableFiles()
    {
        const std::pair<const char *, QByteArray> files[] = {
            {"a.lng", LanguageFile("'Deutsch'")},
            {"upper.LNG", LanguageFile("'Upper'")},
            {"other.txt", LanguageFile("'Text'")},
            {"noname.lng", "MsgQuit = 'x'\r\n"},
            {"blankname.lng", LanguageFile("")},
            // A name with control characters could forge lines of the settings file.
            {"break.lng", LanguageFile("'Deutsch'\\n'Installed=1'")},
            {"nul.lng", LanguageFile("'Deu'#0'tsch'")},
            {"escape.lng", LanguageFile("$1B'Deutsch'")}};
        for (const auto &[name, content] : files)
            WriteLngFile(m_dir, QString::fromLatin1(name), content);
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.lng")));
        WriteLngFile(m_second, "de.lng", LanguageFile("'Deutsch'", "'second'"));
        Languages().Scan(
            {m_dir.path(),
             m_dir.path() + QStringLiteral("/../") + QFileInfo(m_dir.path()).fileName(),
             QStringLiteral("/no/such/folder"), m_second.path()});
        QStringList names;
        for (int i = 0; i < Languages().LanguageCount(); ++i)
            names.append(Languages().LanguageNameAt(i));
        names.sort();
        QCOMPARE(names, QStringList({"Deutsch", "Deutsch", "Upper"}));
        QCOMPARE(Languages().LanguageNameAt(-1), QString());
        QCOMPARE(Languages().LanguageNameAt(3), QString());
        QCOMPARE(Languages().CurrentLanguageName(), QString());
        QVERIFY(Languages().SetCurrentLanguage("deutsch"));
        QCOMPARE(Phrase("MsgQuit"), "Quit?"); // the first folder wins
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
        QVERIFY(!Languages().SetCurrentLanguage(asked)); // nothing scanned yet
        WriteLngFile(m_dir, "lang.lng", LanguageFile(ownName, "'Ende?'"));
        WriteLngFile(m_dir, "other.lng", LanguageFile("'Other'", "'Aus?'"));
        Languages().Scan({m_dir.path()});
        QCOMPARE(Languages().SetCurrentLanguage(asked), selected);
        QCOMPARE(Languages().CurrentLanguageName().isEmpty(), !selected);
        QCOMPARE(Phrase("MsgQuit") == u"Ende?", selected);
    }

    void vanishedFileKeepsCurrentLanguage()
    {
        WriteLngFile(m_dir, "de.lng", LanguageFile("'Deutsch'", "'Beenden?'"));
        const QString gone = WriteLngFile(m_dir, "fr.lng", LanguageFile("'Fr'"));
        WriteLngFile(m_dir, "it.lng", LanguageFile("'It'"));
        Languages().Scan({m_dir.path()});
        QVERIFY(Languages().SetCurrentLanguage("Deutsch"));
        QVERIFY(QFile::remove(gone));
        WriteLngFile(m_dir, "it.lng", "");
        for (const QString &name : {QStringLiteral("Fr"), QStringLiteral("It")}) {
            QVERIFY(!Languages().SetCurrentLanguage(name));
            QCOMPARE(Languages().CurrentLanguageName(), "Deutsch");
            QCOMPARE(Phrase("MsgQuit"), QStringLiteral("Beenden?"));
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
        QTEST(FillPhrase(pattern, arguments), "text");
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
        SelectTestLanguage(m_dir, "RussianGrammar = '1'");
        QTEST(CountSuffix(count), "russian");
        SelectTestLanguage(m_dir, "RussianGrammar = ' 1'");
        QTEST(CountSuffix(count), "english");
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
            SelectTestLanguage(m_dir, language);
        const TDateTime value = 36953 + (13 * 60 + 5) / 1440.0 + 42 / 86400.0;
        QTEST(DateText(value, false), "date");
        QTEST(DateText(value, true), "dateAndTime");
        QCOMPARE(DateText(std::nan(""), true), QString());
    }

    void defaultFolders()
    {
        const ScopedEnv data("XDG_DATA_HOME", "/data/home");
        const QStringList folders = DefaultLanguageFolders();
        QCOMPARE(folders.first(), QCoreApplication::applicationDirPath());
        QVERIFY(folders.contains(QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)));
        QCOMPARE(folders.last(), "/data/home/favrake/lang");
        QVERIFY(folders.contains(
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/favrake/lang")));
    }
};

QTEST_GUILESS_MAIN(TestLanguages)
#include "test_languages.moc"
