#include "lang/languages.h"
#include "lang/phrases.h"
#include "langfixture.h"
#include "rowfile.h"
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
        // Names with control characters (break, nul, escape) could forge lines of the
        // settings file.
        const QDir files(QStringLiteral(FAVRAKE_TEST_DATA "/lang/scan"));
        for (const QString &name : files.entryList(QDir::Files))
            QVERIFY(QFile::copy(files.filePath(name), m_dir.filePath(name)));
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

    void selection_data() { addRowsFromFile(QStringLiteral("lang/selection.tsv")); }

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

    void fillPhrase_data() { addRowsFromFile(QStringLiteral("lang/fillphrase.tsv")); }

    void fillPhrase()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, arguments);
        QTEST(::fillPhrase(pattern, arguments), "text");
    }

    void countSuffix_data() { addRowsFromFile(QStringLiteral("lang/countsuffix.tsv")); }

    void countSuffix()
    {
        QFETCH(qint64, count);
        selectTestLanguage(m_dir, "RussianGrammar = '1'");
        QTEST(::countSuffix(count), "russian");
        selectTestLanguage(m_dir, "RussianGrammar = ' 1'");
        QTEST(::countSuffix(count), "english");
    }

    // Dates follow the language, months by name, the time without seconds.
    void dateText_data() { addRowsFromFile(QStringLiteral("lang/datetext.tsv")); }
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
