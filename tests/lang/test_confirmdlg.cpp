#include "config/settings.h"
#include "lang/confirmdlg.h"
#include "lang/confirmicons.h"
#include "lang/translatable.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace ConfirmGeometry;

namespace {
const QRect Desk(0, 0, 1024, 768);
const QChar Ellipsis(0x2026);

QString DeepPath(int length)
{
    QString path;
    for (int i = 0; path.size() < length; ++i)
        path += QLatin1Char('/') + QChar(u'a' + i % 26);
    return path.left(length);
}

template <typename T = QWidget> T *Part(QDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

// What the open dialog showed when the test answered it.
struct TSeen
{
    bool Shown = false;
    QString Summary; // caption|OK button|Cancel button|check box|bottom panel height
    QString Message;
    bool OkFocused = false, Picture = false;
    int LabelHint = 0;
    QRect Frame, Label;
};

TSeen Look(QDialog &dialog)
{
    QLabel *message = nullptr; // the one label without a name
    for (QLabel *label : dialog.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        message = label->objectName().isEmpty() ? label : message;
    const auto *box = Part<QCheckBox>(dialog, "CbxNoConfirm");
    const QString boxState = !box->isVisible() ? "no box" : box->isChecked() ? "ticked" : "box";
    const QStringList summary{dialog.windowTitle(), Part<QPushButton>(dialog, "BtnOk")->text(),
                              Part<QPushButton>(dialog, "BtnCancel")->text(), boxState,
                              QString::number(Part(dialog, "PnlBottom")->height())};
    return {true,
            summary.join(u'|'),
            message->text(),
            dialog.focusWidget() == Part(dialog, "BtnOk"),
            !Part<QLabel>(dialog, "ImgIcon")->pixmap().isNull(),
            message->sizeHint().height(),
            dialog.frameGeometry(),
            message->geometry()};
}

using TAct = std::function<void(TConfirmDlg &)>;

// Answers the next dialog that opens with act, after taking note of what it shows.
class TAnswer final
{
  public:
    explicit TAnswer(TAct act) : m_act(std::move(act))
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto *dialog = qobject_cast<TConfirmDlg *>(QApplication::activeModalWidget())) {
                Seen = Look(*dialog);
                m_act(*dialog);
            }
        });
        m_timer.start(0);
    }
    TSeen Seen;

  private:
    TAct m_act;
    QTimer m_timer;
};

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

    bool Ask(int kind, const QString &key, int options, const TAct &act, TSeen *seen = nullptr,
             const QString &text = QStringLiteral("Go on?"), quint16 image = 9)
    {
        const TAnswer answer(act);
        const bool result = m_dialog.ShowConfirm(kind, text, key, image, options);
        if (seen)
            *seen = answer.Seen;
        return result;
    }

  private slots:
    void init()
    {
        QFile::remove(m_dir.filePath("Favrake.ini"));
        LoadSettings({}, m_dir.path());
        m_spot = {QPoint(500, 400), Desk};
    }

    void placement_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("topLeft");
        const QSize dlg(327, 132);
        const QRect second(1024, 100, 800, 600);
        QTest::newRow("above, centred") << QPoint(500, 400) << dlg << Desk << QPoint(337, 256);
        QTest::newRow("just fits above") << QPoint(500, 144) << dlg << Desk << QPoint(337, 0);
        QTest::newRow("near the top: below") << QPoint(500, 143) << dlg << Desk << QPoint(337, 155);
        QTest::newRow("just fits centred") << QPoint(860, 9) << dlg << Desk << QPoint(697, 21);
        QTest::newRow("half width odd: flush")
            << QPoint(861, 400) << dlg << Desk << QPoint(697, 256);
        QTest::newRow("near the right: flush")
            << QPoint(1000, 400) << dlg << Desk << QPoint(697, 256);
        QTest::newRow("near the left: inside") << QPoint(20, 400) << dlg << Desk << QPoint(0, 256);
        QTest::newRow("below passes the bottom: lifted")
            << QPoint(500, 100) << QSize(327, 700) << Desk << QPoint(337, 68);
        QTest::newRow("larger than the area: its corner")
            << QPoint(500, 400) << QSize(2000, 900) << Desk << QPoint(0, 0);
        QTest::newRow("second screen") << QPoint(1400, 500) << dlg << second << QPoint(1237, 356);
        QTest::newRow("second screen, top left")
            << QPoint(1030, 120) << dlg << second << QPoint(1024, 132);
    }
    void placement()
    {
        QFETCH(QPoint, cursor);
        QFETCH(QSize, size);
        QFETCH(QRect, area);
        QFETCH(QPoint, topLeft);
        QCOMPARE(PlaceNearCursor(cursor, size, area), topLeft);
    }

    void wrapping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxHeight");
        QTest::addColumn<QString>("joiner"); // rejoins the lines of an uncut text
        QTest::addColumn<bool>("cut");
        const QString words = QStringLiteral("Delete it? It goes to the bin.").repeated(9);
        QTest::newRow("one line") << QStringLiteral("Quit?") << 500 << "" << false;
        QTest::newRow("empty") << QString() << 500 << "" << false;
        QTest::newRow("words wrap at blanks") << words << 500 << " " << false;
        QTest::newRow("unbreakable word") << QString(2000, u'x') << 5000 << "" << false;
        QTest::newRow("deep folder path") << DeepPath(2000) << 5000 << "" << false;
        QTest::newRow("beyond the height") << DeepPath(20000) << 300 << "" << true;
        QTest::newRow("no room for a line") << words << 0 << "" << true;
        QTest::newRow("many lines") << QStringLiteral("a\r\n").repeated(500) << 300 << "" << true;
        QTest::newRow("pairs not split")
            << QStringLiteral("\U0001F600").repeated(3000) << 200 << "" << true;
    }
    void wrapping()
    {
        QFETCH(QString, text);
        QFETCH(int, maxHeight);
        QFETCH(QString, joiner);
        QFETCH(bool, cut);
        QFont font(QStringLiteral("Tahoma"));
        font.setPointSize(10);
        const QFontMetrics metrics(font);
        const TWrappedMessage wrapped = WrapMessage(font, text, LabelWidth, maxHeight);
        const QStringList lines = wrapped.Text.split(u'\n');
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= LabelWidth, qPrintable(line));
        QVERIFY(wrapped.Height >= metrics.height());
        QVERIFY(lines.size() == 1 || wrapped.Height <= maxHeight);
        QVERIFY(wrapped.Text.isValidUtf16());
        QCOMPARE(wrapped.Cut, cut);
        if (cut)
            QVERIFY(wrapped.Text.endsWith(Ellipsis));
        else
            QCOMPARE(lines.join(joiner), text);
    }

    void pictures()
    {
        QList<QImage> drawn;
        for (int index = 0; index < ConfirmIconCount; ++index) {
            const QImage image = ConfirmIcon(index).convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.size(), QSize(32, 32));
            int opaque = 0;
            for (int pixel = 0; pixel < 32 * 32; ++pixel)
                opaque += qAlpha(image.pixel(pixel % 32, pixel / 32)) == 255;
            QVERIFY2(opaque > 100 && !drawn.contains(image), qPrintable(QString::number(index)));
            drawn.append(image);
        }
        for (int index : {-1, ConfirmIconCount, 65535})
            QVERIFY(ConfirmIcon(index).isNull());
    }

    void appearance_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("summary");
        QTest::newRow("information") << 0 << 0 << "Keep"
                                     << "Information|OK|Cancel|box|72";
        QTest::newRow("information, ticked") << 0 << int(CheckedByDefault) << "Keep"
                                             << "Information|OK|Cancel|ticked|72";
        QTest::newRow("confirmation") << 1 << int(YesNo) << "Quit"
                                      << "Confirmation|Yes|No|box|72";
        QTest::newRow("no key: no box") << 1 << int(YesNo | CheckedByDefault) << ""
                                        << "Confirmation|Yes|No|no box|48";
    }
    void appearance()
    {
        QFETCH(int, kind);
        QFETCH(int, options);
        QFETCH(QString, key);
        QFETCH(QString, summary);
        TSeen seen;
        const QString text = QStringLiteral("Save & Quit?");
        QVERIFY(!Ask(kind, key, options, No, &seen, text));
        QCOMPARE(seen.Summary, summary);
        QCOMPARE(m_dialog.size(), QSize(327, 12 + 32 + 16 + summary.section(u'|', 4).toInt()));
        QCOMPARE(seen.Message, text);
        QCOMPARE(seen.Label.topLeft(), QPoint(56, 12));
        QCOMPARE(seen.Label.width(), 327 - 56 - 12);
        QCOMPARE(seen.LabelHint, seen.Label.height()); // measured as the label draws it
        QVERIFY(seen.OkFocused && seen.Picture);
        // Centred above the cursor; the very first opening does not know the frame yet.
        QVERIFY(qAbs(seen.Frame.center().x() - 500) <= (seen.Frame.width() - 327) / 2);
        QVERIFY(seen.Frame.bottom() < 400 - 12 && Desk.contains(seen.Frame));
        QVERIFY(!QFile::exists(m_dir.filePath("Favrake.ini")));
    }

    void unknownKindShowsNothing()
    {
        QVERIFY(WriteFlag(FlagInfo, "Keep", true) && WriteFlag(FlagConfirm, "Keep", true));
        for (int kind : {2, -1, 255}) {
            TSeen seen;
            QVERIFY(!Ask(kind, QStringLiteral("Keep"), 0, Yes, &seen));
            QVERIFY(!seen.Shown);
            RememberAnswer(kind, QStringLiteral("Other"), 0, true, true);
        }
        QVERIFY(!ReadFlag(FlagInfo, "Other", false) && !ReadFlag(FlagConfirm, "Other", false));
    }

    void answers_data()
    {
        QTest::addColumn<TAct>("act");
        QTest::addColumn<bool>("result");
        QTest::newRow("OK") << Yes << true;
        QTest::newRow("Cancel") << No << false;
        QTest::newRow("Enter") << Key(Qt::Key_Return) << true;
        QTest::newRow("Enter on the box") << Key(Qt::Key_Enter, "CbxNoConfirm") << true;
        QTest::newRow("Escape") << Key(Qt::Key_Escape) << false;
        QTest::newRow("closed") << TAct([](TConfirmDlg &dialog) { dialog.close(); }) << false;
    }
    void answers()
    {
        QFETCH(TAct, act);
        QFETCH(bool, result);
        QCOMPARE(Ask(Confirmation, QStringLiteral("Quit"), YesNo, act), result);
    }

    void storedTick_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("options");
        QTest::addColumn<TAct>("act");
        QTest::addColumn<bool>("stored");
        const TAct tickAndNo = Press("BtnCancel", 1);
        QTest::newRow("ticked, OK") << 0 << "Keep" << int(CheckedByDefault) << Yes << true;
        QTest::newRow("ticked, Yes") << 1 << "Quit" << int(YesNo) << Press("BtnOk", 1) << true;
        QTest::newRow("untick, OK")
            << 0 << "Keep" << int(CheckedByDefault) << Press("BtnOk", 0) << false;
        QTest::newRow("ticked, Cancel") << 1 << "Refresh" << 0 << tickAndNo << false;
        QTest::newRow("ticked, No, kept on No")
            << 0 << "SuggestB" << int(YesNo | StoreOnNo | SkippedMeansNo) << tickAndNo << true;
        QTest::newRow("no key") << 0 << "" << int(CheckedByDefault) << Yes << false;
    }
    void storedTick()
    {
        QFETCH(int, kind);
        QFETCH(QString, key);
        QFETCH(int, options);
        QFETCH(TAct, act);
        QFETCH(bool, stored);
        Ask(kind, key, options, act);
        QCOMPARE(ReadFlag(TFlagKind(kind), key, false), stored);
        QVERIFY(!FlagsExist(TFlagKind(1 - kind)));
        TSeen again;
        const bool skipped = (options & SkippedMeansNo) != 0;
        QCOMPARE(Ask(kind, key, options, No, &again), stored && !skipped);
        QCOMPARE(again.Shown, !stored);
        if (stored)
            QCOMPARE(Ask(kind, key, options ^ SkippedMeansNo, No), skipped);
    }

    void forgottenTicksShowAgain()
    {
        const QString key = QStringLiteral("Hide");
        Ask(Information, key, CheckedByDefault, Yes);
        QVERIFY(ClearFlags(FlagInfo));
        TSeen seen;
        QVERIFY(!Ask(Information, key, CheckedByDefault, No, &seen) && seen.Shown);
        LoadSettings({}, QString()); // nowhere to keep a tick
        QVERIFY(Ask(Information, key, CheckedByDefault, Yes));
        QVERIFY(!Ask(Information, key, 0, No, &seen) && seen.Shown);
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
        QVERIFY(Ask(Information, QStringLiteral("Keep"), 0, act));
        QVERIFY(!nested);
        QVERIFY(suppressed); // needs no dialog, so it still gets its stored answer
        QCOMPARE(after.Summary, before.Summary);
        QCOMPARE(after.Message, before.Message);
        QCOMPARE(after.Frame, before.Frame);
    }

    void deletedWhileOpen()
    {
        auto *dialog = new TConfirmDlg(nullptr, [this] { return m_spot; });
        const TAnswer answer([](TConfirmDlg &open) { delete &open; });
        QVERIFY(!dialog->ShowConfirm(Information, QStringLiteral("Bye"), QStringLiteral("Bye"), 0,
                                     CheckedByDefault));
        QVERIFY(!FlagsExist(FlagInfo));
    }

    void longTextStaysOnScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("whole");
        QTest::newRow("deep folder path") << DeepPath(1000) << true;
        QTest::newRow("deeper than the screen") << DeepPath(2000) << false;
        QTest::newRow("huge unbreakable text") << QString(50000, u'w') << false;
        QTest::newRow("many lines") << QStringLiteral("line\n").repeated(300) << false;
    }
    void longTextStaysOnScreen()
    {
        QFETCH(QString, text);
        QFETCH(bool, whole);
        m_spot = {QPoint(400, 300), QRect(0, 0, 800, 600)};
        TSeen seen;
        Ask(Confirmation, QStringLiteral("Delete"), YesNo, No, &seen, text);
        QVERIFY(m_spot.WorkArea.contains(seen.Frame));
        QCOMPARE(m_dialog.width(), 327);
        QCOMPARE(m_dialog.height(), 12 + seen.Label.height() + 16 + 72);
        QCOMPARE(seen.Message.endsWith(Ellipsis), !whole);
        if (whole)
            QCOMPARE(seen.Message.remove(u'\n'), text);
    }

    void pictureCleared()
    {
        TSeen seen;
        for (quint16 image : {14, 15, 65535}) {
            Ask(Information, QString(), 0, Yes, &seen, QStringLiteral("A"), image);
            QVERIFY(seen.Shown);
            QCOMPARE(seen.Picture, image == 14);
        }
    }

    void registeredForTranslation()
    {
        const auto &entries = FormRegistry().Entries();
        const auto entry = std::find_if(entries.begin(), entries.end(), [](const TFormEntry &e) {
            return e.FormKey == "ConfirmDlg";
        });
        QVERIFY(entry != entries.end());
        QVERIFY(entry->Owner == TFormOwner::Application && entry->InTemplate);
        QStringList names;
        for (const auto &component : entry->Form->Components())
            names << component->Name();
        QCOMPARE(names,
                 QStringList({"ImgIcon", "PnlBottom", "CbxNoConfirm", "BtnOk", "BtnCancel"}));
    }
};

QTEST_MAIN(TestConfirmDlg)
#include "test_confirmdlg.moc"
