// The title and description of a downloaded page, as the refresh keeps them.
#include "refresh/htmlscanner.h"
#include "rowfile.h"

#include <QFile>
#include <QTest>

class TestPageInfo : public QObject
{
    Q_OBJECT
  private slots:
    void pageInfo_data() { addRowsFromFile(QStringLiteral("refresh/pageinfo.tsv")); }

    void pageInfo()
    {
        QFETCH(QByteArray, headers);
        QFETCH(QByteArray, page);
        QFETCH(QString, file);
        QFETCH(QString, title);
        QFETCH(QString, description);
        if (!file.isEmpty()) {
            QFile pageFile(QStringLiteral(FAVRAKE_TEST_DATA "/refresh/") + file);
            QVERIFY(pageFile.open(QIODevice::ReadOnly));
            page = pageFile.readAll();
        }
        HtmlScanner scanner;
        scanner.parse(page, headers);
        QCOMPARE(scanner.getTitle(), title);
        QCOMPARE(scanner.getDescription(), description);
    }
};

QTEST_GUILESS_MAIN(TestPageInfo)
#include "test_pageinfo.moc"
