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

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int InfoHeight = 36 + 69 + 6;

QStringList Sites(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("Site%1").arg(i);
    return names;
}

TMainViewData ViewOf(const SampleFavorites &favorites, const QStringList &rowNames,
                     bool pocket = true)
{
    TMainViewData data{&favorites.List(), {-1, -1, -1, -1, -1}, false, pocket};
    for (int row = 0; row < rowNames.size(); ++row)
        data.Rows[row] = favorites.Index(rowNames[row]);
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
// The view, the information panel's page and what it tells, then the displayable rows.
QString Shown(const TMainForm &form)
{
    static const char *const views[] = {"information", "download", "pocket", "windows"};
    QStringList shown{views[int(form.View())]};
    if (!Named(form, "PnlInfo")->isHidden()) {
        shown << PageOf(form, "NbkInfo");
        const auto *progress = form.findChild<QProgressBar *>(u"PBInfoProgress"_s);
        if (shown.last() == u"PageInfoDownload")
            shown << u"%1/%2"_s.arg(progress->value()).arg(progress->maximum());
        else
            shown << form.findChild<QLabel *>(u"LblInfoCount"_s)->text().replace(u'\n', u'/')
                  << PageOf(form, "NbkInfoAction")
                  << (Named(form, "SBtInfoShowPutBack")->isEnabled() ? "put back" : "");
    }
    for (int row = 0; row < EntryRowCount; ++row)
        if (form.RowDisplayable(row))
            shown << u"row%1"_s.arg(row);
    return shown.join(u' ').trimmed();
}
} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { SilenceOffscreenWarnings(); }

    // Bookmarks by token: "." plain, "k" kept for good, "d" due for a refresh. Rows that are
    // empty, past the list or waiting for their refresh show nothing; displayable rows are not
    // looked at while the shown entries await their refresh.
    void views_data()
    {
        QTest::addColumn<QString>("bookmarks");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("awaits");
        QTest::addColumn<bool>("pocket");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *name, const char *bookmarks, QList<int> rows, bool awaits,
                            bool pocket, const char *shown) {
            QTest::newRow(name) << bookmarks << rows << awaits << pocket << shown;
        };
        row("empty folder", "", {}, false, true, "information PageInfoNoActive 0/0/0 PageNoAction");
        row("active and kept", ". . k", {}, false, true,
            "information PageInfoNoActive 3/2/1 PageAction put back");
        row("only kept", "k k", {}, false, true, "information PageInfoNoActive 2/0/2 PageNoAction");
        row("row waiting for its refresh", "d", {-1, -1, -1, 0}, false, true,
            "information PageInfoNoActive 1/1/0 PageAction put back");
        row("row past the list", ".", {-1, -1, -1, 1}, false, true,
            "information PageInfoNoActive 1/1/0 PageAction put back");
        row("more than five due", "d d d d d d . .", {7}, true, true,
            "download PageInfoDownload 2/5");
        row("more fresh than due", "d d . . . . . . . .", {9}, true, true,
            "download PageInfoDownload 2/2");
        row("one of three due", "d . .", {2}, true, true, "download PageInfoDownload 1/1");
        row("full mode keeps the title band", ". .", {-1, 1}, false, false, "windows row1");
    }

    void views()
    {
        QFETCH(QString, bookmarks);
        QFETCH(QList<int>, rows);
        QFETCH(bool, awaits);
        QFETCH(bool, pocket);
        QFETCH(QString, shown);
        const QStringList tokens = bookmarks.split(u' ', Qt::SkipEmptyParts);
        const QStringList names = Sites(tokens.size());
        SampleFavorites favorites(names);
        for (int i = 0; i < tokens.size(); ++i) {
            if (tokens[i] == u"k")
                favorites.Rec(names[i]).RemindTime = -1;
            else if (tokens[i] == u"d")
                favorites.MakeRefreshDue(names[i]);
        }
        TMainViewData data{&favorites.List(), {-1, -1, -1, -1, -1}, awaits, pocket};
        std::copy(rows.begin(), rows.end(), data.Rows.begin());
        TMainForm form;
        const TMainView view = form.UpdateView(data);
        QCOMPARE(view, form.View());
        QCOMPARE(Shown(form), shown);
        QCOMPARE(form.height(), pocket ? InfoHeight : 39);
        for (int row = 0; row < EntryRowCount; ++row)
            QVERIFY(form.TitleLabel(row)->isHidden());
    }

    void pocketRowsStackUnderTheTitle()
    {
        const QString longName = QStringLiteral("A rather long bookmark name that needs two lines");
        SampleFavorites favorites({"Alpha", "Beta", longName, "Delta"});
        TMainForm form;
        const TMainViewData data = ViewOf(favorites, {"Alpha", "", longName, "", "Delta"});
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

    // Only a row with a subject offers the link collection, by button and by menu item.
    void pocketRowWithSuggestion()
    {
        SampleFavorites favorites({"Go", "Physics"});
        favorites.OfferSuggestion(QStringLiteral("Go"), QStringLiteral("Board games"));
        TMainForm form;
        form.UpdateView(ViewOf(favorites, {"Go", "Physics"}));
        QSignalSpy actions(&form, &TMainForm::entryActionRequested);
        const TUCLabel *title = form.TitleLabel(0);
        QToolButton *button = form.SuggestButton(0);
        QCOMPARE(button->geometry(), QRect(113, 40, 19, 19));
        QVERIFY(!button->isHidden() && title->width() <= 103);
        // A one-line title ends on one line with its button.
        QCOMPARE(title->y() + title->height(), button->y() + button->height());
        QCOMPARE(button->toolTip(),
                 QStringLiteral("Show best link collection about \"Board games\""));
        QCOMPARE(form.TitleLabel(1)->y(), 40 + 19 + form.TimeLabel(0)->height() + 8);
        QVERIFY(form.SuggestButton(1)->isHidden());

        QAction *suggest = form.findChild<QAction *>(QStringLiteral("PopupLinkSuggest"));
        form.ShowLinkMenu(form.TitleLabel(0), QPoint(5, 5));
        QVERIFY(suggest->isVisible());
        form.ShowLinkMenu(form.TitleLabel(1), QPoint(5, 5));
        QVERIFY(!suggest->isVisible());
        form.PopupLink()->close();
        button->click();
        QCOMPARE(actions, (QList<QList<QVariant>>{{0, -3}}));
    }

    void pocketTitleIsPlainText()
    {
        const QString name = QStringLiteral("<i>Tom & Jerry<i>");
        SampleFavorites favorites({name});
        favorites.Rec(name).StoredURL = QStringLiteral("<b>x</b>");
        TMainForm form;
        form.UpdateView(ViewOf(favorites, {name}));
        QCOMPARE(form.TitleLabel(0)->Caption(), name);
        QCOMPARE(ToolTipText(form.TitleLabel(0)), QStringLiteral("<b>x</b>"));
    }

    void updateViewAgainUsesTheLastData()
    {
        SampleFavorites favorites({"Alpha"});
        TMainForm form;
        QCOMPARE(form.UpdateView(ViewOf(favorites, {"Alpha"})), TMainView::Pocket);
        favorites.MakeRefreshDue(QStringLiteral("Alpha"));
        QVERIFY(form.UpdateView());
        QCOMPARE(form.View(), TMainView::Information);
        QCOMPARE(form.height(), InfoHeight);
    }

    void entriesReportTheirRow()
    {
        SampleFavorites favorites({"Alpha", "Beta"});
        TMainForm form;
        form.UpdateView(ViewOf(favorites, {"", "", "Beta", "", "Alpha"}));
        QSignalSpy opens(&form, &TMainForm::entryOpenRequested);
        QSignalSpy actions(&form, &TMainForm::entryActionRequested);
        QTest::mouseClick(form.TitleLabel(4), Qt::LeftButton, {}, QPoint(2, 2));

        TUCLabel *label = form.TitleLabel(2);
        QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(2, 2),
                                  label->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(label, &context);
        QCOMPARE(form.PopupLabel(), label);
        for (const char *item : {"PopupLinkRemindC", "PopupLinkDelete", "PopupLinkOpen"})
            form.findChild<QAction *>(QString::fromLatin1(item))->trigger();
        QCOMPARE(actions, (QList<QList<QVariant>>{{2, 7}, {2, -2}}));
        QCOMPARE(opens, (QList<QList<QVariant>>{{4}, {2}}));
        form.PopupLink()->close();
    }

    void buttonsAndMenus()
    {
        SampleFavorites favorites({"Alpha"});
        TMainForm form;
        QSignalSpy help(&form, &TBaseForm::helpRequested);
        QSignalSpy hide(&form, &TMainForm::hideRequested);
        QSignalSpy putBack(&form, &TMainForm::showPutBackRequested);
        QSignalSpy menu(&form, &TMainForm::windowMenuRequested);
        for (const char *item :
             {"PopupHideHelp", "PopupPutBackHelp", "PopupSuggestHelp", "PopupLinkHelp"})
            form.findChild<QAction *>(QString::fromLatin1(item))->trigger();
        QCOMPARE(help, (QList<QList<QVariant>>{{120}, {3050}, {3060}, {130}}));

        auto *showPutBack = form.findChild<QToolButton *>(QStringLiteral("SBtInfoShowPutBack"));
        showPutBack->click(); // nothing is put back: the button takes no click
        form.UpdateView(ViewOf(favorites, {}));
        showPutBack->click();
        QCOMPARE(putBack.count(), 1);
        form.findChild<QToolButton *>(QStringLiteral("SBtHide"))->click();
        QCOMPARE(hide.count(), 1);

        QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(60, 5), QPoint(160, 105));
        QApplication::sendEvent(Named(form, "LblTitleB"), &context);
        QCOMPARE(menu, (QList<QList<QVariant>>{{QPoint(160, 105)}}));
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
