#include "config/messageflags.h"
#include "config/settings.h"
#include "lang/confirmdlg.h"
#include "lang/confirmicons.h"
#include "rowfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace confirm_geometry;

namespace {
const QRect desk(0, 0, 1024, 768);

template <typename T = QWidget> T *part(QDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

// What the open dialog showed when the test answered it.
struct Seen
{
    bool shown = false, answer = false;
    QString summary; // caption|OK button|Cancel button|check box
    QString message;
    int widest = 0; // of the message's lines
    QRect frame;
};

Seen look(QDialog &dialog)
{
    QLabel *message = nullptr; // the one label without a name
    for (QLabel *label : dialog.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        message = label->objectName().isEmpty() ? label : message;
    const auto *box = part<QCheckBox>(dialog, "CbxNoConfirm");
    const QString boxState = !box->isVisible() ? "no box" : box->isChecked() ? "ticked" : "box";
    int widest = 0;
    for (const QString &line : message->text().split(u'\n'))
        widest = std::max(widest, message->fontMetrics().horizontalAdvance(line));
    const auto *cancel = part<QPushButton>(dialog, "BtnCancel");
    const QStringList summary{dialog.windowTitle(), part<QPushButton>(dialog, "BtnOk")->text(),
                              cancel->isVisible() ? cancel->text() : QString(), boxState};
    return {true, false, summary.join(u'|'), message->text(), widest, dialog.frameGeometry()};
}

using Act = std::function<void(ConfirmDialog &)>;

// Answers the next dialog that opens with act, after taking note of what it shows.
class Answer final
{
  public:
    explicit Answer(const Act &act)
    {
        QTimer::singleShot(0, &m_pending, [this, act] {
            if (auto *dialog = qobject_cast<ConfirmDialog *>(QApplication::activeModalWidget())) {
                seen = look(*dialog);
                act(*dialog);
            }
        });
    }
    Seen seen;

  private:
    QObject m_pending; // an answer not given by the end of the scope is dropped
};

// Ticks (1) or unticks (0) the box first, when asked to.
Act press(const QByteArray &button, int tick = -1)
{
    return [button, tick](ConfirmDialog &dialog) {
        if (tick >= 0)
            part<QCheckBox>(dialog, "CbxNoConfirm")->setChecked(tick == 1);
        QTest::mouseClick(part(dialog, button.constData()), Qt::LeftButton);
    };
}

Act key(Qt::Key key, const QByteArray &focus = {})
{
    return [key, focus](ConfirmDialog &dialog) {
        if (!focus.isEmpty())
            part(dialog, focus.constData())->setFocus();
        QTest::keyClick(dialog.focusWidget(), key);
    };
}

// An answer as a row spells it: "press <button> [tick]", "key <key> [focus]" or "close".
Act actFromText(const QString &text)
{
    const QStringList words = text.split(u' ');
    const QByteArray third = words.value(2).toLatin1();
    if (words.first() == u"press")
        return press(words.value(1).toLatin1(), third.isEmpty() ? -1 : third.toInt());
    if (words.first() == u"key")
        return key(QKeySequence::fromString(words.value(1))[0].key(), third);
    if (text != u"close")
        qFatal("unknown answer %s", qPrintable(text));
    return [](ConfirmDialog &dialog) { dialog.close(); };
}

// The options a row names, e.g. "YesNo|StoreOnNo".
int optionsFromNames(const QStringList &names)
{
    static const QHash<QString, int> values{{"YesNo", YesNo},
                                            {"CheckedByDefault", CheckedByDefault},
                                            {"StoreOnNo", StoreOnNo},
                                            {"SkippedMeansNo", SkippedMeansNo},
                                            {"NoCancel", NoCancel}};
    int options = 0;
    for (const QString &name : names) {
        if (!values.contains(name))
            qFatal("unknown option %s", qPrintable(name));
        options |= values.value(name);
    }
    return options;
}

const Act yes = press("BtnOk");
const Act no = press("BtnCancel");
} // namespace

class TestConfirmDlg : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    ScreenSpot m_spot;
    ConfirmDialog m_dialog{std::make_unique<SettingsMessageMemory>(), nullptr,
                           [this] { return m_spot; }};

    Seen ask(int kind, const QString &key, int options, const Act &act,
             const QString &text = QStringLiteral("Go on?"))
    {
        Answer answer(act);
        answer.seen.answer = m_dialog.showConfirm(kind, text, key, 9, options);
        return answer.seen;
    }

  private slots:
    void init()
    {
        QFile::remove(m_dir.filePath("Favrake.ini"));
        loadSettings({}, m_dir.path());
        m_spot = {QPoint(500, 400), desk};
    }

    // Each kind with its buttons, the box and its tick, and what the next call does.
    void answers_data() { addRowsFromFile(QStringLiteral("lang/confirmanswers.tsv")); }
    void answers()
    {
        QFETCH(QString, kindName);
        QFETCH(QString, key);
        QFETCH(QStringList, options);
        QFETCH(QString, act);
        QFETCH(bool, stored);
        const int kind = int(QStringList{"Information", "Confirmation"}.indexOf(kindName));
        QVERIFY(kind >= 0);
        const QString text = QStringLiteral("Save & Quit?");
        const Seen seen = ask(kind, key, optionsFromNames(options), actFromText(act), text);
        QTEST(seen.answer, "result");
        QTEST(seen.summary, "summary");
        QCOMPARE(seen.message, text);
        QVERIFY(seen.frame.bottom() < 400 && desk.contains(seen.frame)); // above the cursor
        QCOMPARE(QFile::exists(m_dir.filePath("Favrake.ini")), stored);
        QCOMPARE(readFlag(FlagKind(kind), key, false), stored);
        QVERIFY(!flagsExist(FlagKind(1 - kind)));
        const bool skipped = options.contains(u"SkippedMeansNo");
        const Seen again = ask(kind, key, optionsFromNames(options), no);
        QVERIFY(again.answer == (stored && !skipped) && again.shown == !stored);
        if (stored)
            QCOMPARE(ask(kind, key, optionsFromNames(options) ^ SkippedMeansNo, no).answer,
                     skipped);
    }

    void unknownKindShowsNothing()
    {
        QVERIFY(writeFlag(FlagInfo, "Keep", true) && writeFlag(FlagConfirm, "Keep", true));
        SettingsMessageMemory memory;
        for (int kind : {2, -1, 255}) {
            const Seen seen = ask(kind, QStringLiteral("Keep"), 0, yes);
            QVERIFY(!seen.answer && !seen.shown);
            rememberAnswer(memory, kind, QStringLiteral("Other"), 0, true, true);
        }
        QVERIFY(!readFlag(FlagInfo, "Other", false) && !readFlag(FlagConfirm, "Other", false));
    }

    void reentrantCallLeavesDialog()
    {
        QVERIFY(writeFlag(FlagConfirm, "Delete", true));
        bool nested = true, suppressed = false;
        Seen before, after;
        const Act act = [&](ConfirmDialog &dialog) {
            before = look(dialog);
            const Answer rescue(no); // closes a second dialog, should one open
            nested = dialog.showConfirm(Confirmation, QStringLiteral("All?"), QString(), 12, 0);
            suppressed = dialog.showConfirm(Confirmation, QStringLiteral("Delete it?"),
                                            QStringLiteral("Delete"), 3, YesNo);
            after = look(dialog);
            yes(dialog);
        };
        QVERIFY(ask(Information, QStringLiteral("Keep"), 0, act).answer);
        QVERIFY(!nested);
        QVERIFY(suppressed); // needs no dialog, so it still gets its stored answer
        QCOMPARE(std::tuple(after.summary, after.message, after.frame),
                 std::tuple(before.summary, before.message, before.frame));
    }

    void deletedWhileOpen()
    {
        auto *dialog = new ConfirmDialog(std::make_unique<SettingsMessageMemory>(), nullptr,
                                         [this] { return m_spot; });
        const Answer answer([](ConfirmDialog &open) { delete &open; });
        QVERIFY(!dialog->showConfirm(Information, QStringLiteral("Bye"), QStringLiteral("Bye"), 0,
                                     CheckedByDefault));
        QVERIFY(!flagsExist(FlagInfo));
    }

    // The column of windows stays on top: a dialog opened over it moves beside it.
    void besideTheColumn_data() { addRowsFromFile(QStringLiteral("lang/columnspots.tsv")); }
    void besideTheColumn()
    {
        QFETCH(int, cursorX);
        QFETCH(int, cursorY);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        const QPoint cursor(cursorX, cursorY);
        const QRect column(left, top, width, height);
        m_spot = {cursor, desk, column};
        const Seen seen = ask(Confirmation, QStringLiteral("Delete"), YesNo, no);
        QVERIFY(desk.contains(seen.frame) && !seen.frame.intersects(column));
        QVERIFY(seen.frame.bottom() < cursor.y() || seen.frame.top() > cursor.y());
    }

    // Lines fit beside the picture, and what the work area cannot hold ends in an ellipsis.
    void longText_data() { addRowsFromFile(QStringLiteral("lang/longtexts.tsv")); }
    void longText()
    {
        QFETCH(QString, piece);
        QFETCH(int, times);
        const QString text = piece.repeated(times);
        QFETCH(QString, joiner);
        QFETCH(bool, cut);
        m_spot = {QPoint(400, 300), QRect(0, 0, 800, 600)};
        const Seen seen = ask(Confirmation, QStringLiteral("Delete"), YesNo, no, text);
        QVERIFY(m_spot.workArea.contains(seen.frame));
        QVERIFY(seen.widest <= labelWidth && seen.message.isValidUtf16());
        QCOMPARE(seen.message.endsWith(QChar(0x2026)), cut);
        if (!cut)
            QCOMPARE(seen.message.split(u'\n').join(joiner), text);
    }
};

QTEST_MAIN(TestConfirmDlg)
#include "test_confirmdlg.moc"
