#include "config/settings.h"
#include "lang/confirmdlg.h"
#include "lang/confirmicons.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ConfirmGeometry;

namespace {
const QRect Desk(0, 0, 1024, 768);

template <typename T = QWidget> T *Part(QDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

// What the open dialog showed when the test answered it.
struct TSeen
{
    bool Shown = false, Answer = false;
    QString Summary; // caption|OK button|Cancel button|check box
    QString Message;
    int Widest = 0; // of the message's lines
    QRect Frame;
};

TSeen Look(QDialog &dialog)
{
    QLabel *message = nullptr; // the one label without a name
    for (QLabel *label : dialog.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        message = label->objectName().isEmpty() ? label : message;
    const auto *box = Part<QCheckBox>(dialog, "CbxNoConfirm");
    const QString boxState = !box->isVisible() ? "no box" : box->isChecked() ? "ticked" : "box";
    int widest = 0;
    for (const QString &line : message->text().split(u'\n'))
        widest = std::max(widest, message->fontMetrics().horizontalAdvance(line));
    const auto *cancel = Part<QPushButton>(dialog, "BtnCancel");
    const QStringList summary{dialog.windowTitle(), Part<QPushButton>(dialog, "BtnOk")->text(),
                              cancel->isVisible() ? cancel->text() : QString(), boxState};
    return {true, false, summary.join(u'|'), message->text(), widest, dialog.frameGeometry()};
}

using TAct = std::function<void(TConfirmDlg &)>;

// Answers the next dialog that opens with act, after taking note of what it shows.
class TAnswer final
{
  public:
    explicit TAnswer(const TAct &act)
    {
        QTimer::singleShot(0, &m_pending, [this, act] {
            if (auto *dialog = qobject_cast<TConfirmDlg *>(QApplication::activeModalWidget())) {
                Seen = Look(*dialog);
                act(*dialog);
            }
        });
    }
    TSeen Seen;

  private:
    QObject m_pending; // an answer not given by the end of the scope is dropped
};

// Ticks (1) or unticks (0) the box first, when asked to.
TAct Press(const char *button, int tick = -1)
{
    return [button, tick](TConfirmDlg &dialog) {
        if (tick >= 0)
            Part<QCheckBox>(dialog, "CbxNoConfirm")->setChecked(tick == 1);
        QTest::mouseClick(Part(dialog, button), Qt::LeftButton);
    };
}

TAct Key(Qt::Key key, const char *focus = nullptr)
{
    return [key, focus](TConfirmDlg &dialog) {
        if (focus)
            Part(dialog, focus)->setFocus();
        QTest::keyClick(dialog.focusWidget(), key);
    };
}

const TAct Yes = Press("BtnOk");
const TAct No = Press("BtnCancel");
} // namespace
Q_DECLARE_METATYPE(TAct)

class TestConfirmDlg : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    TScreenSpot m_spot;
    TConfirmDlg m_dialog{nullptr, [this] { return m_spot; }};

    TSeen Ask(int kind, const QString &key, int options, const TAct &act,
              const QString &text = QStringLiteral("Go on?"))
    {
        TAnswer answer(act);
        answer.Seen.Answer = m_dialog.ShowConfirm(kind, text, key, 9, options);
        return answer.Seen;
    }

  private slots:
    void init()
    {
        QFile::remove(m_dir.filePath("Favrake.ini"));
        LoadSettings({}, m_dir.path());
        m_spot = {QPoint(500, 400), Desk};
    }

    // Each kind with its buttons, the box and its tick, and what the next call does.
    void answers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("options");
        QTest::addColumn<TAct>("act");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("stored");
        const auto row = [](const char *name, int kind, const char *key, int options,
                            const TAct &act, const char *summary, bool result, bool stored) {
            QTest::newRow(name) << kind << key << options << act << summary << result << stored;
        };
        const char *info = "Information|OK|Cancel|box", *quit = "Confirmation|Yes|No|box";
        const char *ticked = "Information|OK|Cancel|ticked";
        row("information, OK", 0, "Keep", 0, Yes, info, true, false);
        row("ticked by default, OK", 0, "Keep", CheckedByDefault, Yes, ticked, true, true);
        row("untick, OK", 0, "Keep", CheckedByDefault, Press("BtnOk", 0), ticked, true, false);
        row("tick, Yes", 1, "Quit", YesNo, Press("BtnOk", 1), quit, true, true);
        row("tick, Cancel", 1, "Refresh", 0, Press("BtnCancel", 1), "Confirmation|OK|Cancel|box",
            false, false);
        row("tick, No, kept on No", 0, "SuggestB", YesNo | StoreOnNo | SkippedMeansNo,
            Press("BtnCancel", 1), "Information|Yes|No|box", false, true);
        row("no key: no box", 1, "", YesNo | CheckedByDefault, Yes, "Confirmation|Yes|No|no box",
            true, false);
        row("note: OK alone", 0, "", NoCancel, Yes, "Information|OK||no box", true, false);
        row("Enter", 1, "Quit", YesNo, Key(Qt::Key_Return), quit, true, false);
        row("Enter on the box", 1, "Quit", YesNo, Key(Qt::Key_Enter, "CbxNoConfirm"), quit, true,
            false);
        row("Escape", 1, "Quit", YesNo, Key(Qt::Key_Escape), quit, false, false);
        row(
            "closed", 0, "Keep", 0, [](TConfirmDlg &dialog) { dialog.close(); }, info, false,
            false);
    }
    void answers()
    {
        QFETCH(int, kind);
        QFETCH(QString, key);
        QFETCH(int, options);
        QFETCH(TAct, act);
        QFETCH(bool, stored);
        const QString text = QStringLiteral("Save & Quit?");
        const TSeen seen = Ask(kind, key, options, act, text);
        QTEST(seen.Answer, "result");
        QTEST(seen.Summary, "summary");
        QCOMPARE(seen.Message, text);
        QVERIFY(seen.Frame.bottom() < 400 && Desk.contains(seen.Frame)); // above the cursor
        QCOMPARE(QFile::exists(m_dir.filePath("Favrake.ini")), stored);
        QCOMPARE(ReadFlag(TFlagKind(kind), key, false), stored);
        QVERIFY(!FlagsExist(TFlagKind(1 - kind)));
        const bool skipped = (options & SkippedMeansNo) != 0;
        const TSeen again = Ask(kind, key, options, No);
        QVERIFY(again.Answer == (stored && !skipped) && again.Shown == !stored);
        if (stored)
            QCOMPARE(Ask(kind, key, options ^ SkippedMeansNo, No).Answer, skipped);
    }

    void unknownKindShowsNothing()
    {
        QVERIFY(WriteFlag(FlagInfo, "Keep", true) && WriteFlag(FlagConfirm, "Keep", true));
        for (int kind : {2, -1, 255}) {
            const TSeen seen = Ask(kind, QStringLiteral("Keep"), 0, Yes);
            QVERIFY(!seen.Answer && !seen.Shown);
            RememberAnswer(kind, QStringLiteral("Other"), 0, true, true);
        }
        QVERIFY(!ReadFlag(FlagInfo, "Other", false) && !ReadFlag(FlagConfirm, "Other", false));
    }

    void reentrantCallLeavesDialog()
    {
        QVERIFY(WriteFlag(FlagConfirm, "Delete", true));
        bool nested = true, suppressed = false;
        TSeen before, after;
        const TAct act = [&](TConfirmDlg &dialog) {
            before = Look(dialog);
            const TAnswer rescue(No); // closes a second dialog, should one open
            nested = dialog.ShowConfirm(Confirmation, QStringLiteral("All?"), QString(), 12, 0);
            suppressed = dialog.ShowConfirm(Confirmation, QStringLiteral("Delete it?"),
                                            QStringLiteral("Delete"), 3, YesNo);
            after = Look(dialog);
            Yes(dialog);
        };
        QVERIFY(Ask(Information, QStringLiteral("Keep"), 0, act).Answer);
        QVERIFY(!nested);
        QVERIFY(suppressed); // needs no dialog, so it still gets its stored answer
        QCOMPARE(std::tuple(after.Summary, after.Message, after.Frame),
                 std::tuple(before.Summary, before.Message, before.Frame));
    }

    void deletedWhileOpen()
    {
        auto *dialog = new TConfirmDlg(nullptr, [this] { return m_spot; });
        const TAnswer answer([](TConfirmDlg &open) { delete &open; });
        QVERIFY(!dialog->ShowConfirm(Information, QStringLiteral("Bye"), QStringLiteral("Bye"), 0,
                                     CheckedByDefault));
        QVERIFY(!FlagsExist(FlagInfo));
    }

    // The column of windows stays on top: a dialog opened over it moves beside it.
    void besideTheColumn_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QRect>("column");
        QTest::newRow("cursor in the column at the right")
            << QPoint(950, 700) << QRect(884, 300, 140, 468);
        QTest::newRow("cursor in the column at the left")
            << QPoint(70, 100) << QRect(0, 0, 140, 400);
        QTest::newRow("column out of the way") << QPoint(400, 500) << QRect(884, 0, 140, 200);
    }
    void besideTheColumn()
    {
        QFETCH(QPoint, cursor);
        QFETCH(QRect, column);
        m_spot = {cursor, Desk, column};
        const TSeen seen = Ask(Confirmation, QStringLiteral("Delete"), YesNo, No);
        QVERIFY(Desk.contains(seen.Frame) && !seen.Frame.intersects(column));
        QVERIFY(seen.Frame.bottom() < cursor.y() || seen.Frame.top() > cursor.y());
    }

    // Lines fit beside the picture, and what the work area cannot hold ends in an ellipsis.
    void longText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("joiner"); // rejoins the lines of an uncut text
        QTest::addColumn<bool>("cut");
        QString deepPath;
        for (int i = 0; deepPath.size() < 1000; ++i)
            deepPath += QLatin1Char('/') + QChar(u'a' + i % 26);
        QTest::newRow("one line") << QStringLiteral("Quit?") << "" << false;
        QTest::newRow("words wrap at blanks")
            << QStringLiteral("Delete it? It goes to the bin.").repeated(9) << " " << false;
        QTest::newRow("deep folder path") << deepPath << "" << false;
        QTest::newRow("huge unbreakable text") << QString(50000, u'w') << "" << true;
        QTest::newRow("many lines") << QStringLiteral("a\r\n").repeated(500) << "" << true;
        QTest::newRow("pairs not split")
            << QStringLiteral("\U0001F600").repeated(3000) << "" << true;
    }
    void longText()
    {
        QFETCH(QString, text);
        QFETCH(QString, joiner);
        QFETCH(bool, cut);
        m_spot = {QPoint(400, 300), QRect(0, 0, 800, 600)};
        const TSeen seen = Ask(Confirmation, QStringLiteral("Delete"), YesNo, No, text);
        QVERIFY(m_spot.WorkArea.contains(seen.Frame));
        QVERIFY(seen.Widest <= LabelWidth && seen.Message.isValidUtf16());
        QCOMPARE(seen.Message.endsWith(QChar(0x2026)), cut);
        if (!cut)
            QCOMPARE(seen.Message.split(u'\n').join(joiner), text);
    }
};

QTEST_MAIN(TestConfirmDlg)
#include "test_confirmdlg.moc"
