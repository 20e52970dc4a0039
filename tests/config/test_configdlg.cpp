#include "../store/storefixture.h"
#include "config/configdlg.h"
#include "config/settings.h"
#include "lang/languages.h"
#include "platform/autostart.h"
#include "rowfile.h"
#include "testenv.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// The dialog as the user meets it: shown, its controls found by name.
struct Dialog final
{
    ConfigDialog dlg{QStringLiteral("/opt/Fav Rake/favrake")};
    Dialog() { dlg.show(); }
    template <typename T = QCheckBox> T &child(const char *name)
    {
        T *child = dlg.findChild<T *>(QLatin1String(name));
        if (!child)
            qFatal("no component %s", name);
        return *child;
    }
    void setSpinText(const char *name, const QString &text)
    {
        child<QSpinBox>(name).findChild<QLineEdit *>()->setText(text);
    }
    void show() { dlg.show(); }
    void ok() { child<QPushButton>("BtnOk").click(); }
};

QByteArray ourEntry(const QByteArray &exec)
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
    QTemporaryDir m_dir;
    ScopedEnv m_config{"XDG_CONFIG_HOME", QFile::encodeName(m_dir.path())};
    QString autostartPath() const { return m_dir.filePath("autostart/favrake.desktop"); }

  private slots:
    void initTestCase() { languages().scan({QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)}); }

    void init()
    {
        QFile::remove(m_dir.filePath("Favrake.ini"));
        QFile::remove(autostartPath());
        loadSettings({}, m_dir.path());
    }

    // Every show reads the values afresh; OK stores them at once (not only at the program's
    // end). Only a box ticked in the dialog brings its messages back: one suppressed while
    // the dialog stood open, its box ticked from the start, stays suppressed.
    void showAndOk()
    {
        Dialog dialog;
        QVERIFY(dialog.child("CbxConfirmations").isChecked()); // nothing suppressed yet
        QVERIFY(dialog.child("CbxInformations").isChecked());
        QVERIFY(!dialog.child("CbxAutostart").isChecked());
        dialog.ok();
        QVERIFY(!QFile::exists(settingsFile())); // nothing worth a file
        dialog.show();
        QVERIFY(writeFlag(FlagConfirm, "MsgQuit", true)); // meanwhile
        dialog.ok();
        QVERIFY(readFlag(FlagConfirm, "MsgQuit", false));
        dialog.setSpinText("SERemind", "3"); // not shown, not kept
        settings.remindInterval = 30;
        settings.installed = true;
        QVERIFY(writeFlag(FlagInfo, "MsgHide", true));
        QVERIFY(platform::setAutostart(true, "/usr/bin/favrake"));
        dialog.show();
        QCOMPARE(dialog.child<QSpinBox>("SERemind").text(), "30");
        QVERIFY(!dialog.child("CbxConfirmations").isChecked());
        QVERIFY(!dialog.child("CbxInformations").isChecked());
        QVERIFY(dialog.child("CbxAutostart").isChecked());
        dialog.child("CbxInformations").setChecked(true);
        dialog.child<QSpinBox>("SERemind").setValue(12);
        dialog.ok();
        QVERIFY(!readFlag(FlagInfo, "MsgHide", false) && readFlag(FlagConfirm, "MsgQuit", false));
        QVERIFY(readFile(settingsFile()).contains("RemindInterval=12"));
    }

    // A folder chosen becomes the setting and is announced; one named by the environment
    // cannot be changed here. The two switches of the group are kept on OK.
    void bookmarksGroup()
    {
        QTemporaryDir chosen;
        Dialog dialog;
        QSignalSpy changed(&dialog.dlg, &ConfigDialog::favoritesFolderChanged);
        QTimer::singleShot(0, &dialog.dlg, [&] {
            auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(files);
            files->selectFile(chosen.path());
            QMetaObject::invokeMethod(files, &QDialog::accept);
        });
        dialog.child<QPushButton>("BtnFolder").click();
        dialog.child("CbxNoNetAccess").setChecked(true);
        dialog.child("CbxDontDelete").setChecked(true);
        dialog.ok();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(favoritesFolderInUse(), chosen.path() + u'/');
        QVERIFY(settings.noNetAccess && settings.dontDelete);
        const ScopedEnv named("FAVRAKE_FAVORITES", "/elsewhere");
        dialog.show();
        QVERIFY(!dialog.child<QPushButton>("BtnFolder").isEnabled());
        dialog.ok();
        QCOMPARE(changed.count(), 1);
    }

    void okFollowsSpinText_data() { addRowsFromFile(QStringLiteral("config/spintexts.tsv")); }
    void okFollowsSpinText()
    {
        QFETCH(QByteArray, spin);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        Dialog dialog;
        dialog.setSpinText(spin, text);
        auto &ok = dialog.child<QPushButton>("BtnOk");
        QCOMPARE(ok.isEnabled(), valid);
        QTest::keyClick(&ok, Qt::Key_Space); // a disabled OK ignores it; the dialog stays open
        QCOMPARE(dialog.dlg.isVisible(), !valid);
        const int stored = spin == "SERemind" ? settings.remindInterval : settings.refreshInterval;
        QCOMPARE(stored == text.toInt(), valid);
    }

    // A switch signals only when it was changed; the other switch stays silent.
    void switchesSignalOnlyOnChange_data()
    {
        addRowsFromFile(QStringLiteral("config/switches.tsv"));
    }
    void switchesSignalOnlyOnChange()
    {
        QFETCH(QByteArray, box);
        QFETCH(bool, settingOff);
        QFETCH(bool, ticked);
        const bool hints = box == "CbxShowHints";
        bool &setting = hints ? settings.noHints : settings.noSpeedWnd;
        setting = settingOff;
        Dialog dialog;
        QSignalSpy hintSpy(&dialog.dlg, &ConfigDialog::hintsChanged);
        QSignalSpy rearrangeSpy(&dialog.dlg, &ConfigDialog::rearrangeWindowsRequested);
        dialog.show();
        dialog.child(box).setChecked(ticked);
        dialog.ok();
        const int expected = settingOff == ticked ? 1 : 0;
        QCOMPARE(setting, !ticked);
        QCOMPARE(hintSpy.count(), hints ? expected : 0);
        QCOMPARE(rearrangeSpy.count(), hints ? 0 : expected);
        QVERIFY(!hints || !expected || hintSpy.first().first().toBool() == ticked);
    }

    void cancelDiscards_data() { addRowsFromFile(QStringLiteral("config/cancelways.tsv")); }
    void cancelDiscards()
    {
        QFETCH(QString, way);
        QVERIFY(writeFlag(FlagInfo, "MsgHide", true));
        const QByteArray file = readFile(settingsFile());
        const Settings before = settings;
        Dialog dialog;
        QSignalSpy hintSpy(&dialog.dlg, &ConfigDialog::hintsChanged);
        QSignalSpy rearrangeSpy(&dialog.dlg, &ConfigDialog::rearrangeWindowsRequested);
        dialog.show();
        dialog.setSpinText("SERemind", "99");
        dialog.setSpinText("SERefresh", "98");
        for (const char *box : {"CbxInformations", "CbxShowHints", "CbxSpeedWnd", "CbxAutostart"})
            dialog.child(box).toggle();
        if (way == u"close")
            dialog.dlg.close();
        else if (way == u"Escape")
            QTest::keyClick(&dialog.dlg, Qt::Key_Escape);
        else
            dialog.child<QPushButton>(way.toLatin1().constData()).click();
        QVERIFY(!dialog.dlg.isVisible());
        const auto changeable = [](const Settings &c) {
            return std::tuple(c.remindInterval, c.refreshInterval, c.noHints, c.noSpeedWnd);
        };
        QVERIFY(changeable(settings) == changeable(before));
        QCOMPARE(readFile(settingsFile()), file);
        QVERIFY(!QFile::exists(autostartPath()));
        QCOMPARE(hintSpy.count() + rearrangeSpy.count(), 0);
    }

    // The program path as a desktop entry's Exec value: quoted and escaped where needed.
    void execValueQuoted_data() { addRowsFromFile(QStringLiteral("config/execvalues.tsv")); }
    void execValueQuoted()
    {
        QFETCH(QString, path);
        QTEST(platform::desktopExecValue(path), "exec");
    }

    // An entry of ours that the desktop switched off shows unticked; ticking writes it anew,
    // unticking removes it. Another program's entry is never touched.
    void autostartEntry_data()
    {
        addRowsFromFile(QStringLiteral("config/autostartentries.tsv"));
        QTest::newRow("huge file")
            << "[Desktop Entry]\nX-Favrake-Autostart=true\n#" + QByteArray(70000, 'x') << false;
    }
    void autostartEntry()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, ours);
        QCOMPARE(platform::autostartFile(), autostartPath());
        writeFile(autostartPath(), content);
        QVERIFY(!platform::isAutostartEnabled());
        QCOMPARE(platform::isAutostartForeign(), !ours);
        Dialog dialog;
        QCOMPARE(dialog.child("CbxAutostart").isEnabled(), ours);
        dialog.child("CbxAutostart").setChecked(true);
        dialog.ok();
        QCOMPARE(readFile(autostartPath()), ours ? ourEntry("\"/opt/Fav Rake/favrake\"") : content);
        QCOMPARE(platform::isAutostartEnabled(), ours);
        dialog.show();
        dialog.child("CbxAutostart").setChecked(false);
        dialog.ok();
        QCOMPARE(QFile::exists(autostartPath()), !ours);
        QVERIFY(!platform::setAutostart(true, QString()));
    }
};

QTEST_MAIN(TestConfigDlg)
#include "test_configdlg.moc"
