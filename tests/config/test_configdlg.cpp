#include "../store/storefixture.h"
#include "config/configdlg.h"
#include "config/settings.h"
#include "lang/languages.h"
#include "platform/autostart.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString ProgramPath = QStringLiteral("/opt/Fav Rake/favrake");

template <typename T = QWidget> T &Child(const QObject &parent, const char *name)
{
    T *child = parent.findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no component %s", name);
    return *child;
}

QCheckBox &Box(const TConfigDlg &dialog, const char *name)
{
    return Child<QCheckBox>(dialog, name);
}

void SetSpinText(const TConfigDlg &dialog, const char *name, const QString &text)
{
    Child<QSpinBox>(dialog, name).findChild<QLineEdit *>()->setText(text);
}

void PressOk(const TConfigDlg &dialog)
{
    Child<QPushButton>(dialog, "BtnOk").click();
}

QByteArray OurEntry(const QByteArray &exec)
{
    return "[Desktop Entry]\nType=Application\nName=Favrake\n"
           "Comment=Keeps your Favorites tidy, a few bookmarks at a time\nExec=" +
           exec + "\nIcon=favrake\nTerminal=false\nX-GNOME-Autostart-enabled=true\n" +
           "X-Favrake-Autostart=true\n";
}
} // namespace

class TestConfigDlg final : public QObject
{
    Q_OBJECT
    QString autostartPath() const { return m_dir.filePath("autostart/favrake.desktop"); }
    QTemporaryDir m_dir;

  private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
        Languages().Scan({QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)});
    }

    void init()
    {
        QFile::remove(m_dir.filePath("Favrake.ini"));
        QFile::remove(autostartPath());
        LoadSettings({}, m_dir.path());
    }

    // What the dialog shows

    void valuesReloadOnEveryShow()
    {
        Settings.NoHints = true;
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        QVERIFY(Box(dialog, "CbxConfirmations").isChecked()); // nothing suppressed yet
        QVERIFY(Box(dialog, "CbxInformations").isChecked());
        QVERIFY(!Box(dialog, "CbxShowHints").isChecked() && Box(dialog, "CbxSpeedWnd").isChecked());
        QVERIFY(!Box(dialog, "CbxAutostart").isChecked());
        SetSpinText(dialog, "SERemind", "3");
        Box(dialog, "CbxInformations").setChecked(false);
        dialog.hide();
        Settings.RemindInterval = 30;
        Settings.RefreshInterval = 60;
        QVERIFY(WriteFlag(FlagConfirm, "MsgQuit", true));
        QVERIFY(platform::SetAutostart(true, ProgramPath));
        dialog.show();
        QCOMPARE(Child<QSpinBox>(dialog, "SERemind").text(), "30");
        QCOMPARE(Child<QSpinBox>(dialog, "SERefresh").value(), 60);
        QVERIFY(Box(dialog, "CbxInformations").isChecked());
        QVERIFY(!Box(dialog, "CbxConfirmations").isChecked());
        QVERIFY(Box(dialog, "CbxAutostart").isChecked());
    }

    void looksFinished()
    {
        TConfigDlg dialog(ProgramPath);
        dialog.ShowSetup();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.width() >= 361 && dialog.height() >= 244);
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(dialog.frameGeometry().center(), screen.center());
        QCOMPARE(dialog.focusWidget(), &Child(dialog, "BtnOk"));
    }

    // What OK and Cancel do

    void okFollowsSpinText_data()
    {
        QTest::addColumn<QByteArray>("spin");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const std::pair<const char *, bool> table[] = {
            {"0", false},  {"366", false}, {"", false},   {"7x", false}, {"   ", false},
            {"-7", false}, {"  12", true}, {"365", true}, {"1", true},   {"4294967303", false},
        };
        for (const QByteArray spin : {"SERemind", "SERefresh"})
            for (const auto &[text, valid] : table)
                QTest::newRow((spin + " '" + text + "'").constData())
                    << spin << QString::fromLatin1(text) << valid;
    }

    void okFollowsSpinText()
    {
        QFETCH(QByteArray, spin);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        SetSpinText(dialog, spin, text);
        auto &ok = Child<QPushButton>(dialog, "BtnOk");
        QCOMPARE(ok.isEnabled(), valid);
        QTest::keyClick(&ok, Qt::Key_Space); // a disabled OK ignores it; the dialog stays open
        QCOMPARE(dialog.isVisible(), !valid);
        const int stored = spin == "SERemind" ? Settings.RemindInterval : Settings.RefreshInterval;
        QCOMPARE(stored == text.toInt(), valid);
    }

    void okErasesOnlyTickedSections_data()
    {
        QTest::addColumn<bool>("infoTicked");
        QTest::addColumn<bool>("confirmTicked");
        QTest::newRow("information ticked") << true << false;
        QTest::newRow("confirmation ticked") << false << true;
        QTest::newRow("both ticked") << true << true;
    }

    void okErasesOnlyTickedSections()
    {
        QFETCH(bool, infoTicked);
        QFETCH(bool, confirmTicked);
        QVERIFY(WriteFlag(FlagInfo, "MsgHide", true));
        QVERIFY(WriteFlag(FlagConfirm, "MsgQuit", true));
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        Box(dialog, "CbxInformations").setChecked(infoTicked);
        Box(dialog, "CbxConfirmations").setChecked(confirmTicked);
        PressOk(dialog);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(ReadFlag(FlagInfo, "MsgHide", false), !infoTicked);
        QCOMPARE(ReadFlag(FlagConfirm, "MsgQuit", false), !confirmTicked);
    }

    // A message suppressed while the dialog stands open, its box ticked from the start.
    void suppressedMeanwhileStaysSuppressed()
    {
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        QVERIFY(Box(dialog, "CbxInformations").isChecked());
        QVERIFY(WriteFlag(FlagInfo, "MsgHide", true));
        PressOk(dialog);
        QVERIFY(ReadFlag(FlagInfo, "MsgHide", false));
    }

    // OK writes the settings at once, not only at the program's end.
    void okSavesAtOnce()
    {
        Settings.Installed = true;
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        Child<QSpinBox>(dialog, "SERemind").setValue(12);
        PressOk(dialog);
        QVERIFY(ReadFile(SettingsFile()).contains("RemindInterval=12"));
        Settings.Installed = false;
    }

    void okWithNothingSuppressedWritesNothing()
    {
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        PressOk(dialog);
        QVERIFY(!QFile::exists(SettingsFile()));
    }

    void switchesSignalOnlyOnChange_data()
    {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<bool>("settingOff");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("hints unchanged") << QByteArray("CbxShowHints") << false << true;
        QTest::newRow("hints switched off") << QByteArray("CbxShowHints") << false << false;
        QTest::newRow("hints switched on") << QByteArray("CbxShowHints") << true << true;
        QTest::newRow("speed bar unchanged") << QByteArray("CbxSpeedWnd") << true << false;
        QTest::newRow("speed bar hidden") << QByteArray("CbxSpeedWnd") << false << false;
        QTest::newRow("speed bar shown") << QByteArray("CbxSpeedWnd") << true << true;
    }

    // A switch signals only when it was changed; the other switch stays silent.
    void switchesSignalOnlyOnChange()
    {
        QFETCH(QByteArray, box);
        QFETCH(bool, settingOff);
        QFETCH(bool, ticked);
        const bool hints = box == "CbxShowHints";
        bool &setting = hints ? Settings.NoHints : Settings.NoSpeedWnd;
        setting = settingOff;
        TConfigDlg dialog(ProgramPath);
        QSignalSpy hintSpy(&dialog, &TConfigDlg::HintsChanged);
        QSignalSpy rearrangeSpy(&dialog, &TConfigDlg::RearrangeWindowsRequested);
        dialog.show();
        Box(dialog, box).setChecked(ticked);
        PressOk(dialog);
        const int expected = settingOff == ticked ? 1 : 0;
        QCOMPARE(setting, !ticked);
        QCOMPARE(hintSpy.count(), hints ? expected : 0);
        QCOMPARE(rearrangeSpy.count(), hints ? 0 : expected);
        if (hints && expected)
            QCOMPARE(hintSpy.first().first().toBool(), ticked);
    }

    void cancelDiscards_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("Escape key") << 2;
    }

    void cancelDiscards()
    {
        QFETCH(int, way);
        QVERIFY(WriteFlag(FlagInfo, "MsgHide", true));
        const QByteArray file = ReadFile(SettingsFile());
        const TMWConfig before = Settings;
        TConfigDlg dialog(ProgramPath);
        QSignalSpy hintSpy(&dialog, &TConfigDlg::HintsChanged);
        QSignalSpy rearrangeSpy(&dialog, &TConfigDlg::RearrangeWindowsRequested);
        dialog.show();
        SetSpinText(dialog, "SERemind", "99");
        SetSpinText(dialog, "SERefresh", "98");
        for (const char *box : {"CbxInformations", "CbxShowHints", "CbxSpeedWnd", "CbxAutostart"})
            Box(dialog, box).toggle();
        if (way == 0)
            Child<QPushButton>(dialog, "BtnCancel").click();
        else if (way == 1)
            dialog.close();
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        const auto changeable = [](const TMWConfig &c) {
            return std::tuple(c.RemindInterval, c.RefreshInterval, c.NoHints, c.NoSpeedWnd);
        };
        QVERIFY(changeable(Settings) == changeable(before));
        QCOMPARE(ReadFile(SettingsFile()), file);
        QVERIFY(!QFile::exists(autostartPath()));
        QCOMPARE(hintSpy.count() + rearrangeSpy.count(), 0);
    }

    // Help

    void f1OpensHelpOfControl_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<int>("context");
        const std::pair<const char *, int> table[] = {
            {"SERefresh", 6021}, {"CbxAutostart", 6231}, {"BtnHelp", 6931},
            {"LblRemind", 6001}, {"ConfigDlg", 6001},
        };
        for (const auto &[control, context] : table)
            QTest::newRow(control) << QByteArray(control) << context;
    }

    void f1OpensHelpOfControl()
    {
        QFETCH(QByteArray, control);
        QFETCH(int, context);
        TConfigDlg dialog(ProgramPath);
        QSignalSpy helpSpy(&dialog, &TConfigDlg::helpRequested);
        dialog.ShowSetup();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        (control == "ConfigDlg" ? dialog : Child(dialog, control)).setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(helpSpy.count(), 1);
        QCOMPARE(helpSpy.first().first().toInt(), context);
        Child<QPushButton>(dialog, "BtnHelp").click();
        QCOMPARE(helpSpy.last().first().toInt(), 800);
        QVERIFY(dialog.isVisible());
    }

    // The autostart entry

    void execValueQuoted_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        const std::pair<const char *, const char *> table[] = {
            {"/usr/bin/favrake", "/usr/bin/favrake"},
            {"/opt/Fav Rake/favrake", "\"/opt/Fav Rake/favrake\""},
            {"/opt/100%/favrake", "/opt/100%%/favrake"},
            {"/opt/a$b\"c/fr", "\"/opt/a\\\\$b\\\\\"c/fr\""},
            {"/opt/a\\b/fr", "\"/opt/a\\\\\\\\b/fr\""},
            {"/opt/a\nb/fr", "\"/opt/a\\nb/fr\""},
            {"/home/jürgen/favrake", "/home/jürgen/favrake"}};
        for (const auto &[path, exec] : table)
            QTest::newRow(exec) << QString::fromUtf8(path) << QString::fromUtf8(exec);
    }

    void execValueQuoted()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(platform::DesktopExecValue(path), exec);
    }

    // An entry of ours that the desktop switched off shows unticked; ticking writes it anew,
    // unticking removes it.
    void autostartWrittenAndRemoved()
    {
        QCOMPARE(platform::AutostartFile(), autostartPath());
        QVERIFY(!platform::SetAutostart(true, QString()));
        WriteFile(autostartPath(), OurEntry("/old/favrake") + "X-GNOME-Autostart-enabled=false\n");
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        QVERIFY(!Box(dialog, "CbxAutostart").isChecked() &&
                Box(dialog, "CbxAutostart").isEnabled());
        Box(dialog, "CbxAutostart").setChecked(true);
        PressOk(dialog);
        QCOMPARE(ReadFile(autostartPath()), OurEntry("\"/opt/Fav Rake/favrake\""));
        QVERIFY(platform::IsAutostartEnabled() && !platform::IsAutostartForeign());
        dialog.show();
        Box(dialog, "CbxAutostart").setChecked(false);
        PressOk(dialog);
        QVERIFY(!QFile::exists(autostartPath()));
        QVERIFY(platform::RemoveAutostartIfOurs()); // nothing left to remove
    }

    void foreignEntryNeverTouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no marker") << QByteArray("[Desktop Entry]\nExec=favrake\n");
        QTest::newRow("marker false") << QByteArray("[Desktop Entry]\nX-Favrake-Autostart=false\n");
        QTest::newRow("marker in other group")
            << QByteArray("[Desktop Entry]\n[Desktop Action a]\nX-Favrake-Autostart=true\n");
        QTest::newRow("huge file")
            << "[Desktop Entry]\nX-Favrake-Autostart=true\n#" + QByteArray(70000, 'x');
    }

    void foreignEntryNeverTouched()
    {
        QFETCH(QByteArray, content);
        WriteFile(autostartPath(), content);
        QVERIFY(platform::IsAutostartForeign() && !platform::IsAutostartEnabled());
        QVERIFY(!platform::SetAutostart(true, ProgramPath));
        QVERIFY(!platform::SetAutostart(false, ProgramPath));
        QVERIFY(platform::RemoveAutostartIfOurs());
        TConfigDlg dialog(ProgramPath);
        dialog.show();
        QVERIFY(!Box(dialog, "CbxAutostart").isEnabled());
        PressOk(dialog);
        QCOMPARE(ReadFile(autostartPath()), content);
    }

    // Last, since it leaves German the current language.
    void growsForLongerTexts()
    {
        TConfigDlg dialog(ProgramPath);
        QVERIFY(Languages().SetCurrentLanguage("Deutsch"));
        QVERIFY(Languages().ApplyLanguage());
        dialog.show();
        QCOMPARE(dialog.size(), dialog.sizeHint().expandedTo(QSize(361, 244)));
    }
};

QTEST_MAIN(TestConfigDlg)
#include "test_configdlg.moc"
