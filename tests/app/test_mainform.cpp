// The main window: information page, download page, pocket-mode entries, the title band of
// full mode, and what its entries, buttons and menus report.
#include "app/entrytext.h"
#include "app/mainform.h"
#include "windowfixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>

namespace {
constexpr int InfoHeight = 36 + 69 + 6;

TMainViewData ViewOf(const SampleFavorites &favorites, const QStringList &rowNames,
                     bool pocket = true)
{
    TMainViewData data;
    data.Bookmarks = &favorites.List();
    for (int row = 0; row < rowNames.size(); ++row)
        data.Rows[row] = favorites.Index(rowNames[row]);
    data.PocketView = pocket;
    return data;
}

QString PageOf(const TMainForm &form, const char *notebook)
{
    return form.findChild<QStackedWidget *>(QString::fromLatin1(notebook))
        ->currentWidget()
        ->objectName();
}

QWidget *Named(const TMainForm &form, const char *name)
{
    return form.findChild<QWidget *>(QString::fromLatin1(name));
}
} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { SilenceOffscreenWarnings(); }

    void informationPage_data();
    void informationPage();
    void downloadPage_data();
    void downloadPage();
    void pocketRowsStackUnderTheTitle();
    void pocketRowWithSuggestion();
    void pocketTitleIsPlainText();
    void fullModeKeepsTheTitleBand();
    void rowsThatAreNotDisplayable_data();
    void rowsThatAreNotDisplayable();
    void updateViewAgainUsesTheLastData();

    void entriesReportTheirRow();
    void suggestItemFollowsTheRow();
    void buttonsAndMenus();
    void fixedTextsAndNames();
};

void TestMainForm::informationPage_data()
{
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("actionPage");
    QTest::newRow("empty folder") << 0 << 0 << "0\n0\n0"
                                  << "PageNoAction";
    QTest::newRow("active and kept") << 2 << 1 << "3\n2\n1"
                                     << "PageAction";
    QTest::newRow("only kept") << 0 << 2 << "2\n0\n2"
                               << "PageNoAction";
}

void TestMainForm::informationPage()
{
    QFETCH(int, active);
    QFETCH(int, kept);
    QFETCH(QString, counts);
    QFETCH(QString, actionPage);
    QStringList names;
    for (int i = 0; i < active + kept; ++i)
        names << QStringLiteral("Site%1").arg(i);
    SampleFavorites favorites(names);
    for (int i = active; i < active + kept; ++i)
        favorites.Rec(names[i]).RemindTime = -1;

    TMainForm form;
    QCOMPARE(form.UpdateView(ViewOf(favorites, {})), TMainView::Information);
    QCOMPARE(PageOf(form, "NbkInfo"), QStringLiteral("PageInfoNoActive"));
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("LblInfoCount"))->text(), counts);
    QCOMPARE(PageOf(form, "NbkInfoAction"), actionPage);
    QCOMPARE(Named(form, "SBtInfoShowPutBack")->isEnabled(), active > 0);
    QVERIFY(!Named(form, "PnlInfo")->isHidden());
    QCOMPARE(form.height(), InfoHeight);
    for (int row = 0; row < EntryRowCount; ++row)
        QVERIFY(form.TitleLabel(row)->isHidden());
}

void TestMainForm::downloadPage_data()
{
    QTest::addColumn<int>("due");
    QTest::addColumn<int>("fresh");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("position");
    QTest::newRow("more than five due") << 6 << 2 << 5 << 2;
    QTest::newRow("more fresh than due") << 2 << 8 << 2 << 2;
    QTest::newRow("one of three due") << 1 << 2 << 1 << 1;
}

void TestMainForm::downloadPage()
{
    QFETCH(int, due);
    QFETCH(int, fresh);
    QFETCH(int, maximum);
    QFETCH(int, position);
    QStringList names;
    for (int i = 0; i < due + fresh; ++i)
        names << QStringLiteral("Site%1").arg(i);
    SampleFavorites favorites(names);
    for (int i = 0; i < due; ++i)
        favorites.MakeRefreshDue(names[i]);

    TMainForm form;
    // Displayable rows are not looked at while the shown entries wait for their refresh.
    TMainViewData data = ViewOf(favorites, {names.last()});
    data.AnyShownAwaitsRefresh = true;
    QCOMPARE(form.UpdateView(data), TMainView::Download);
    QCOMPARE(PageOf(form, "NbkInfo"), QStringLiteral("PageInfoDownload"));
    const auto *progress = form.findChild<QProgressBar *>(QStringLiteral("PBInfoProgress"));
    QCOMPARE(progress->maximum(), maximum);
    QCOMPARE(progress->value(), position);
    QVERIFY(!form.RowDisplayable(0));
    QVERIFY(form.TitleLabel(0)->isHidden());
    QCOMPARE(form.height(), InfoHeight);
}

void TestMainForm::pocketRowsStackUnderTheTitle()
{
    SampleFavorites favorites({QStringLiteral("Alpha"), QStringLiteral("Beta"),
                               QStringLiteral("A rather long bookmark name that needs two lines"),
                               QStringLiteral("Delta")});
    TMainForm form;
    const TMainViewData data =
        ViewOf(favorites, {QStringLiteral("Alpha"), QString(),
                           QStringLiteral("A rather long bookmark name that needs two lines"),
                           QString(), QStringLiteral("Delta")});
    QCOMPARE(form.UpdateView(data), TMainView::Pocket);
    QVERIFY(Named(form, "PnlInfo")->isHidden());

    int y = 40;
    for (int row = 0; row < EntryRowCount; ++row) {
        const bool shown = data.Rows[row] >= 0;
        QCOMPARE(form.RowDisplayable(row), shown);
        QCOMPARE(form.TitleLabel(row)->isHidden(), !shown);
        QCOMPARE(form.TimeLabel(row)->isHidden(), !shown);
        QVERIFY(form.SuggestButton(row)->isHidden());
        if (!shown)
            continue;
        const TUCLabel *title = form.TitleLabel(row);
        const TUCLabel *time = form.TimeLabel(row);
        QCOMPARE(title->pos(), QPoint(8, y));
        QCOMPARE(title->Caption(), favorites.List().DisplayName(data.Rows[row]));
        QCOMPARE(time->pos(), QPoint(8, y + title->height()));
        QCOMPARE(time->Caption(), ShortDateTimeText(SampleNow - 100));
        QCOMPARE(time->width(), 124);
        y += title->height() + time->height() + 8;
    }
    QVERIFY(form.TitleLabel(2)->height() > form.TitleLabel(0)->height());
    QCOMPARE(form.height(), y + 2);
}

void TestMainForm::pocketRowWithSuggestion()
{
    SampleFavorites favorites({QStringLiteral("Go"), QStringLiteral("Physics")});
    favorites.OfferSuggestion(QStringLiteral("Go"), QStringLiteral("Board games"));
    TMainForm form;
    form.UpdateView(ViewOf(favorites, {QStringLiteral("Go"), QStringLiteral("Physics")}));

    const TUCLabel *title = form.TitleLabel(0);
    const QToolButton *button = form.SuggestButton(0);
    QVERIFY(!button->isHidden());
    QCOMPARE(button->geometry(), QRect(113, 40, 19, 19));
    QVERIFY(title->width() <= 103);
    // A one-line title ends on one line with its button.
    QCOMPARE(title->y() + title->height(), button->y() + button->height());
    QCOMPARE(button->toolTip(), QStringLiteral("Show best link collection about \"Board games\""));
    QCOMPARE(form.TimeLabel(0)->y(), 40 + 19);
    QCOMPARE(form.TitleLabel(1)->y(), 40 + 19 + form.TimeLabel(0)->height() + 8);
    QVERIFY(form.SuggestButton(1)->isHidden());
}

void TestMainForm::pocketTitleIsPlainText()
{
    SampleFavorites favorites({QStringLiteral("<i>Tom & Jerry<i>")});
    favorites.Rec(QStringLiteral("<i>Tom & Jerry<i>")).StoredURL = QStringLiteral("<b>x</b>");
    TMainForm form;
    form.UpdateView(ViewOf(favorites, {QStringLiteral("<i>Tom & Jerry<i>")}));
    QCOMPARE(form.TitleLabel(0)->Caption(), QStringLiteral("<i>Tom & Jerry<i>"));
    QCOMPARE(ToolTipText(form.TitleLabel(0)), QStringLiteral("<b>x</b>"));
}

void TestMainForm::fullModeKeepsTheTitleBand()
{
    SampleFavorites favorites({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    TMainForm form;
    QCOMPARE(form.UpdateView(ViewOf(favorites, {QString(), QStringLiteral("Beta")}, false)),
             TMainView::BookmarkWindows);
    QCOMPARE(form.height(), 39);
    QVERIFY(Named(form, "PnlInfo")->isHidden());
    QVERIFY(!form.RowDisplayable(0));
    QVERIFY(form.RowDisplayable(1));
    QVERIFY(form.TitleLabel(1)->isHidden());
}

void TestMainForm::rowsThatAreNotDisplayable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("refreshDue");
    QTest::newRow("waiting for its refresh") << 0 << true;
    QTest::newRow("index past the list") << 1 << false;
    QTest::newRow("empty row") << -1 << false;
}

void TestMainForm::rowsThatAreNotDisplayable()
{
    QFETCH(int, index);
    QFETCH(bool, refreshDue);
    SampleFavorites favorites({QStringLiteral("Alpha")});
    if (refreshDue)
        favorites.MakeRefreshDue(QStringLiteral("Alpha"));
    TMainForm form;
    TMainViewData data = ViewOf(favorites, {});
    data.Rows[3] = index;
    QCOMPARE(form.UpdateView(data), TMainView::Information);
    QVERIFY(!form.RowDisplayable(3));
    QVERIFY(form.TitleLabel(3)->isHidden());
    QCOMPARE(form.height(), InfoHeight);
}

void TestMainForm::updateViewAgainUsesTheLastData()
{
    SampleFavorites favorites({QStringLiteral("Alpha")});
    TMainForm form;
    form.UpdateView(ViewOf(favorites, {QStringLiteral("Alpha")}));
    QCOMPARE(form.View(), TMainView::Pocket);
    favorites.MakeRefreshDue(QStringLiteral("Alpha"));
    QVERIFY(form.UpdateView());
    QCOMPARE(form.View(), TMainView::Information);
    QCOMPARE(form.height(), InfoHeight);
}

void TestMainForm::entriesReportTheirRow()
{
    SampleFavorites favorites({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    TMainForm form;
    form.UpdateView(ViewOf(favorites, {QString(), QString(), QStringLiteral("Beta"), QString(),
                                       QStringLiteral("Alpha")}));
    QSignalSpy opens(&form, &TMainForm::entryOpenRequested);
    QSignalSpy actions(&form, &TMainForm::entryActionRequested);

    QTest::mouseClick(form.TitleLabel(4), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(opens.count(), 1);
    QCOMPARE(opens.at(0).at(0).toInt(), 4);

    TUCLabel *label = form.TitleLabel(2);
    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(2, 2),
                              label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &context);
    QCOMPARE(form.PopupLabel(), label);
    form.findChild<QAction *>(QStringLiteral("PopupLinkRemindC"))->trigger();
    form.findChild<QAction *>(QStringLiteral("PopupLinkDelete"))->trigger();
    form.findChild<QAction *>(QStringLiteral("PopupLinkOpen"))->trigger();
    QCOMPARE(actions.count(), 2);
    QCOMPARE(actions.at(0), (QList<QVariant>{2, 7}));
    QCOMPARE(actions.at(1), (QList<QVariant>{2, -2}));
    QCOMPARE(opens.at(1).at(0).toInt(), 2);
    form.PopupLink()->close();
}

void TestMainForm::suggestItemFollowsTheRow()
{
    SampleFavorites favorites({QStringLiteral("Go"), QStringLiteral("Physics")});
    favorites.OfferSuggestion(QStringLiteral("Go"), QStringLiteral("Board games"));
    TMainForm form;
    form.UpdateView(ViewOf(favorites, {QStringLiteral("Go"), QStringLiteral("Physics")}));
    QSignalSpy actions(&form, &TMainForm::entryActionRequested);
    QAction *suggest = form.findChild<QAction *>(QStringLiteral("PopupLinkSuggest"));

    form.ShowLinkMenu(form.TitleLabel(0), QPoint(5, 5));
    QVERIFY(suggest->isVisible());
    form.ShowLinkMenu(form.TitleLabel(1), QPoint(5, 5));
    QVERIFY(!suggest->isVisible());
    form.PopupLink()->close();

    form.SuggestButton(0)->click();
    QCOMPARE(actions.count(), 1);
    QCOMPARE(actions.at(0), (QList<QVariant>{0, -3}));
}

void TestMainForm::buttonsAndMenus()
{
    SampleFavorites favorites({QStringLiteral("Alpha")});
    TMainForm form;
    QSignalSpy help(&form, &TBaseForm::helpRequested);
    QSignalSpy hide(&form, &TMainForm::hideRequested);
    QSignalSpy putBack(&form, &TMainForm::showPutBackRequested);
    QSignalSpy menu(&form, &TMainForm::windowMenuRequested);
    for (const char *item :
         {"PopupHideHelp", "PopupPutBackHelp", "PopupSuggestHelp", "PopupLinkHelp"})
        form.findChild<QAction *>(QString::fromLatin1(item))->trigger();
    QCOMPARE(help.count(), 4);
    QCOMPARE((QList<int>{help[0][0].toInt(), help[1][0].toInt(), help[2][0].toInt(),
                         help[3][0].toInt()}),
             (QList<int>{120, 3050, 3060, 130}));

    auto *showPutBack = form.findChild<QToolButton *>(QStringLiteral("SBtInfoShowPutBack"));
    showPutBack->click(); // nothing is put back: the button takes no click
    form.UpdateView(ViewOf(favorites, {}));
    showPutBack->click();
    QCOMPARE(putBack.count(), 1);
    form.findChild<QToolButton *>(QStringLiteral("SBtHide"))->click();
    QCOMPARE(hide.count(), 1);

    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(60, 5), QPoint(160, 105));
    QApplication::sendEvent(Named(form, "LblTitleB"), &context);
    QCOMPARE(menu.count(), 1);
    QCOMPARE(menu.at(0).at(0).toPoint(), QPoint(160, 105));
}

void TestMainForm::fixedTextsAndNames()
{
    TMainForm form;
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("LblTitleA"))->text(), QStringLiteral("Fav"));
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("LblTitleB"))->text(),
             QStringLiteral("R A K E"));
    QCOMPARE(form.findChild<QAction *>(QStringLiteral("PopupLinkKeep"))->text(),
             QStringLiteral("Keep this (no more ask me)"));
    QCOMPARE(form.findChild<QAction *>(QStringLiteral("PopupLinkRemind"))->text(),
             QStringLiteral("Ask me again in a few days"));
    QCOMPARE(Named(form, "SBtHide")->geometry(), QRect(107, 8, 23, 22));
    QCOMPARE(Named(form, "PnlInfo")->geometry(), QRect(6, 36, 128, 69));
    QCOMPARE(Named(form, "SBtInfoShowPutBack")->width(), 120);
    for (int row = 0; row < EntryRowCount; ++row) {
        QVERIFY(form.TitleLabel(row)->objectName().isEmpty());
        QVERIFY(form.TimeLabel(row)->objectName().isEmpty());
        QVERIFY(form.SuggestButton(row)->objectName().isEmpty());
    }
}

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
