// The main window: information page, download page, pocket-mode entries and what its
// entries, buttons and menus ask for.
#include "app/mainform.h"
#include "cells.h"
#include "rowfile.h"
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
// A view by its name, in the order of the enumeration.
MainView viewNamed(const QString &name)
{
    return MainView(
        QStringList{"Information", "Download", "Pocket", "BookmarkWindows"}.indexOf(name));
}

MainViewData viewOf(const SampleFavorites &favorites, const QStringList &rowNames,
                    bool pocket = true)
{
    MainViewData data{&favorites.list(), {-1, -1, -1, -1, -1}, false, pocket};
    for (int row = 0; row < rowNames.size(); ++row)
        data.rows[row] = favorites.index(rowNames[row]);
    return data;
}

QString pageOf(const MainForm &form, const QString &notebook)
{
    return form.findChild<QStackedWidget *>(notebook)->currentWidget()->objectName();
}

// The information panel's page and what it tells, then the displayable rows.
QString shown(const MainForm &form)
{
    QStringList shown;
    const bool information = form.view() == MainView::Information;
    if (information && pageOf(form, u"NbkInfo"_s) == u"PageInfoFolder")
        shown << u"folder"_s;
    else if (information)
        shown << form.findChild<QLabel *>(u"LblInfoCount"_s)->text().replace(u'\n', u'/')
              << pageOf(form, u"NbkInfoAction"_s)
              << (form.findChild<QWidget *>(u"SBtInfoShowPutBack"_s)->isEnabled() ? "put back"
                                                                                  : "");
    for (int row = 0; row < entryRowCount; ++row)
        if (form.rowDisplayable(row))
            shown << u"row%1"_s.arg(row);
    return shown.join(u' ').trimmed();
}
} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { silenceOffscreenWarnings(); }

    // Bookmarks by token: "." plain, "k" kept for good, "d" due for a refresh. Rows that are
    // empty, past the list or waiting for their refresh show nothing.
    void views_data() { addRowsFromFile(u"app/mainviews.tsv"_s); }
    void views()
    {
        QFETCH(QString, bookmarks);
        QFETCH(QString, rows);
        QFETCH(bool, awaits);
        QFETCH(bool, pocket);
        const QStringList tokens = bookmarks.split(u' ', Qt::SkipEmptyParts);
        QStringList names;
        for (int i = 0; i < tokens.size(); ++i)
            names << u"Site%1"_s.arg(i);
        SampleFavorites favorites(names);
        for (int i = 0; i < tokens.size(); ++i) {
            if (tokens[i] == u"k")
                favorites.rec(names[i]).remindTime = -1;
            else if (tokens[i] == u"d")
                favorites.rec(names[i]).refreshed = sampleNow - 40;
        }
        MainViewData data{&favorites.list(), {-1, -1, -1, -1, -1}, awaits, pocket};
        const QList<int> shownRows = numbers(rows);
        std::copy(shownRows.begin(), shownRows.end(), data.rows.begin());
        MainForm form;
        QFETCH(QString, view);
        QCOMPARE(form.showView(data), viewNamed(view));
        QCOMPARE(form.view(), viewNamed(view));
        QTEST(shown(form), "shown");
        for (int row = 0; row < entryRowCount; ++row)
            QCOMPARE(form.titleLabel(row)->isHidden(), !(pocket && form.rowDisplayable(row)));
    }

    // In pocket mode the keys of a bookmark window work on the entry that has the keyboard;
    // it goes on to the entry that takes the place of one handled.
    void pocketKeyboard_data() { addRowsFromFile(u"app/pocketkeys.tsv"_s); }
    void pocketKeyboard()
    {
        QFETCH(QStringList, keys);
        QFETCH(bool, pocket);
        SampleFavorites favorites({"A", "B", "C"});
        MainForm form;
        QStringList asked;
        connect(&form, &MainForm::entryOpenRequested,
                [&](int row) { asked << u"open %1"_s.arg(row); });
        connect(&form, &MainForm::entryActionRequested,
                [&](int row, int tag) { asked << u"act %1 %2"_s.arg(row).arg(tag); });
        connect(&form, &MainForm::hideRequested, [&] { asked << u"hide"_s; });
        connect(&form, &BaseForm::helpRequested, [&] { asked << u"help"_s; });
        form.showView(viewOf(favorites, {"A", "", "B", "", "C"}, pocket));
        QCOMPARE(form.takeKeyboard(), pocket);
        for (const QString &key : keys) {
            const QKeyCombination combination = QKeySequence::fromString(key)[0];
            QTest::keyClick(&form, combination.key(), combination.keyboardModifiers());
        }
        QTEST(form.keyboardRow(), "keyboardRow");
        QTEST(asked.join(u", "_s), "asked");
        if (!pocket)
            return;
        QCOMPARE(form.hotLabel(), form.titleLabel(form.keyboardRow()));
        const int before = form.keyboardRow();
        form.showView(viewOf(favorites, {"", "", "B", "", "C"})); // A handled
        QCOMPARE(form.keyboardRow(), before == 0 ? 2 : before);
        QCOMPARE(form.hotLabel(), form.titleLabel(form.keyboardRow()));
    }

    // Entries report their row, by click and by menu; the buttons and the title's menu ask
    // for their own work, and "put back" only once there is something to put back. Only a row
    // with a subject offers the link collection, by button and by menu item; the titles show
    // as plain text.
    void entriesAndButtonsSignal()
    {
        SampleFavorites favorites({"<b>Go<b>", "Physics"});
        BookmarkRec &go = favorites.rec(u"<b>Go<b>"_s);
        std::tie(go.rating, go.subjectPhrase, go.match) = std::tuple(1, u"go"_s, u"Board"_s);
        MainForm form;
        QSignalSpy opens(&form, &MainForm::entryOpenRequested);
        QSignalSpy actions(&form, &MainForm::entryActionRequested);
        QSignalSpy putBack(&form, &MainForm::showPutBackRequested);
        QSignalSpy hide(&form, &MainForm::hideRequested);
        QSignalSpy menu(&form, &MainForm::windowMenuRequested);
        auto *showPutBack = form.findChild<QToolButton *>(u"SBtInfoShowPutBack"_s);
        showPutBack->click();
        form.showView(viewOf(favorites, {}));
        showPutBack->click();
        form.showView(viewOf(favorites, {"", "", "Physics", "", "<b>Go<b>"}));
        QCOMPARE(form.titleLabel(4)->caption(), u"<b>Go<b>"_s);
        QVERIFY(!form.suggestButton(4)->isHidden() && form.suggestButton(2)->isHidden());
        form.suggestButton(4)->click();
        QTest::mouseClick(form.titleLabel(4), Qt::LeftButton, {}, QPoint(2, 2));
        const QAction *suggest = form.findChild<QAction *>(u"PopupLinkSuggest"_s);
        form.showLinkMenu(form.titleLabel(4), QPoint(5, 5));
        QVERIFY(suggest->isVisible());
        const auto contextMenu = [](QWidget *widget, QPoint global) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), global);
            QApplication::sendEvent(widget, &event);
        };
        contextMenu(form.titleLabel(2), form.titleLabel(2)->mapToGlobal(QPoint(2, 2)));
        QVERIFY(!suggest->isVisible());
        for (const char *item : {"PopupLinkRemindC", "PopupLinkDelete", "PopupLinkOpen"})
            form.findChild<QAction *>(QString::fromLatin1(item))->trigger();
        form.popupLink()->close();
        form.findChild<QToolButton *>(u"SBtHide"_s)->click();
        contextMenu(form.findChild<QWidget *>(u"LblTitleB"_s), QPoint(160, 105));
        QCOMPARE(actions, (QList<QList<QVariant>>{{4, -3}, {2, 7}, {2, -2}}));
        QCOMPARE(opens, (QList<QList<QVariant>>{{4}, {2}}));
        QCOMPARE(putBack.count(), 1);
        QCOMPARE(hide.count(), 1);
        QCOMPARE(menu, (QList<QList<QVariant>>{{QPoint(160, 105)}}));
        // "Refresh all": its progress in the title band whatever is shown, then its summary
        // below the title, whose link asks for the broken links.
        auto *bar = form.findChild<QProgressBar *>(u"PBRefreshAll"_s);
        form.setRefreshProgress(2, 61);
        QVERIFY(!bar->isHidden() && bar->value() == 2 && bar->maximum() == 61);
        const int height = form.height();
        QSignalSpy broken(&form, &MainForm::brokenLinksAsked);
        form.setRefreshProgress(0, 0);
        form.showRefreshSummary(u"Checked 2: 2 ok"_s);
        QLabel *summary = nullptr;
        for (QLabel *label : form.findChildren<QLabel *>())
            summary = label->text().startsWith(u"Checked 2: 2 ok <a"_s) ? label : summary;
        QVERIFY(summary && bar->isHidden() && form.height() > height);
        emit summary->linkActivated(u"broken"_s);
        QCOMPARE(broken.count(), 1);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
