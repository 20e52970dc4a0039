#include "app/helpcontexts.h"
#include "helpcheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString HelpDir = QStringLiteral(FAVRAKE_HELP_DIR);

// The English pages lie in the help folder itself, each translation in a folder of its own.
struct THelpLanguage
{
    const char *Lang;
    QString Folder;
    QString CounterpartPrefix; // how a page of this language links to its other-language twin
};

const THelpLanguage Languages[] = {
    {"en", HelpDir, QStringLiteral("de/")},
    {"de", HelpDir + QStringLiteral("/de"), QStringLiteral("../")},
};

QStringList PageNames(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

constexpr char Header[] = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n";
} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
  private slots:
    void contextHasPage_data()
    {
        QTest::addColumn<QString>("page");
        for (const THelpLanguage &language : Languages) {
            for (const int context : HelpContexts) {
                QTest::addRow("%s %d", language.Lang, context)
                    << QStringLiteral("%1/%2.html").arg(language.Folder).arg(context);
            }
        }
    }
    void contextHasPage()
    {
        QFETCH(QString, page);
        QVERIFY2(QFileInfo(page).isFile(), qPrintable(page));
    }

    void page_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("counterpart");
        for (const THelpLanguage &language : Languages) {
            const QStringList names = PageNames(language.Folder);
            QVERIFY(names.size() > std::ssize(HelpContexts));
            for (const QString &name : names) {
                QTest::addRow("%s %s", language.Lang, qPrintable(name))
                    << language.Folder + u'/' + name << QString::fromLatin1(language.Lang)
                    << language.CounterpartPrefix + name;
            }
        }
    }
    // Well-formed, in its language, utf-8, titled, styled, every link leads somewhere, and
    // the same page in the other language is one click away.
    void page()
    {
        QFETCH(QString, path);
        QFETCH(QString, lang);
        QFETCH(QString, counterpart);
        const QStringList problems = PageProblems(path, lang);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QVERIFY2(ReadHelpPage(path).Links.contains(counterpart), qPrintable(counterpart));
    }

    void languagesHaveSamePages()
    {
        QCOMPARE(PageNames(Languages[1].Folder), PageNames(Languages[0].Folder));
    }

    void indexLinksEveryPage_data()
    {
        QTest::addColumn<QString>("folder");
        for (const THelpLanguage &language : Languages)
            QTest::addRow("%s", language.Lang) << language.Folder;
    }
    void indexLinksEveryPage()
    {
        QFETCH(QString, folder);
        const QStringList links = ReadHelpPage(folder + QStringLiteral("/index.html")).Links;
        for (const QString &name : PageNames(folder)) {
            if (name != u"index.html")
                QVERIFY2(links.contains(name), qPrintable(name));
        }
    }

    // The checks themselves: each faulty page is caught, and with the fault named.
    void problemsFound_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("problems");
        const QString fine = QStringLiteral("<meta charset=\"utf-8\" /><title>T</title>"
                                            "<link rel=\"stylesheet\" href=\"help.css\" />"
                                            "</head><body id=\"top\">");
        const auto page = [&](const QString &head, const QString &body) {
            return head + body + QStringLiteral("</body></html>");
        };
        QTest::newRow("sound page, outside and inside links")
            << page(fine, "<a href=\"https://example.org/x\">x</a><a href=\"other.html#a\">o</a>"
                          "<a href=\"#top\">t</a><a href=\"mailto:a@b.c\">m</a>")
            << QStringList();
        QTest::newRow("missing file") << page(fine, "<a href=\"gone.html\">g</a>")
                                      << QStringList{"link to a missing file: gone.html"};
        QTest::newRow("missing anchor in another page")
            << page(fine, "<a href=\"other.html#b\">o</a>")
            << QStringList{"link to a missing anchor: other.html#b"};
        QTest::newRow("missing anchor in the page")
            << page(fine, "<a href=\"#nowhere\">n</a>")
            << QStringList{"link to a missing anchor: #nowhere"};
        QTest::newRow("missing image") << page(fine, "<img src=\"pic.png\" alt=\"\" />")
                                       << QStringList{"link to a missing file: pic.png"};
        QTest::newRow("other charset, no title, no stylesheet")
            << page("<meta charset=\"iso-8859-1\" /><title> </title></head><body>", QString())
            << QStringList{"no utf-8 charset", "no title", "0 stylesheets instead of one"};
        QTest::newRow("stylesheet missing")
            << page("<meta charset=\"UTF-8\" /><title>T</title>"
                    "<link rel=\"stylesheet\" href=\"style.css\" /></head><body>",
                    QString())
            << QStringList{"link to a missing file: style.css"};
        QTest::newRow("unclosed element")
            << page(fine, "<p>open<p>two</p>")
            << QStringList{"not well-formed, line 4: Opening and ending tag mismatch."};
    }
    void problemsFound()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, problems);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto write = [&](const char *name, const QByteArray &content) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        };
        write("help.css", "body {}");
        write("other.html", QByteArray(Header) + "<title>O</title></head><body><p id=\"a\">a</p>"
                                                 "</body></html>");
        write("page.html", QByteArray(Header) + body.toUtf8());
        QCOMPARE(PageProblems(dir.filePath(QStringLiteral("page.html")), QStringLiteral("en")),
                 problems);
        QVERIFY(PageProblems(dir.filePath(QStringLiteral("page.html")), QStringLiteral("de"))
                    .contains(QStringLiteral("language \"en\" instead of \"de\"")));
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
