#include "../common/testenv.h"
#include "../store/storefixture.h"
#include "app/commandline.h"
#include "app/mainform.h"
#include "app/program.h"
#include "config/settings.h"
#include "lang/confirm.h"
#include "lang/languages.h"
#include "lang/phrases.h"
#include "lang/translatable.h"
#include "platform/instanceframe.h"
#include "platform/singleinstance_os.h"

#include <QLocalSocket>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestProgram final : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase();
    void translationsCoverEveryText_data();
    void translationsCoverEveryText();
    void mainWindowStaysReachableWithoutTray();
    void commandLine_data();
    void commandLine();
    void triggerDuringFadeWaitsForIt_data();
    void triggerDuringFadeWaitsForIt();

  private:
    QTemporaryDir m_home;
};

void TestProgram::initTestCase()
{
    qputenv("FAVRAKE_FAVORITES", QFile::encodeName(m_home.filePath("Favorites")));
    WriteFile(m_home.filePath("Favorites/Paper.url"), Shortcut("http://paper.test/"));
    LoadSettings({}, m_home.path());
    Languages().Scan({QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)});
}

void TestProgram::translationsCoverEveryText_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("German") << QStringLiteral("Deutsch");
    QTest::newRow("English, to switch back to") << QStringLiteral("English");
}

// Every phrase and every text of every window the program builds has its entry in each
// shipped language, so a new window or message cannot ship half translated.
void TestProgram::translationsCoverEveryText()
{
    QFETCH(QString, language);
    TProgram program({});
    QVERIFY(Languages().SetCurrentLanguage(language));
    // English must also say what the program says without any file.
    const bool english = language == u"English";
    QStringList missing;
    const auto check = [&](const QByteArray &key, const QString &builtIn) {
        const std::optional<QString> found = Languages().FindLngValue(key);
        if (!found || (english && *found != builtIn))
            missing << QString::fromLatin1(key);
    };
    for (const TPhraseDefault &phrase : PhraseDefaults())
        check(phrase.Key, QString::fromUtf8(phrase.English));
    const QRegularExpression words(QStringLiteral("[A-Za-z]"));
    for (const TFormEntry &entry : FormRegistry().Entries()) {
        QVERIFY2(DuplicateComponentNames(*entry.Form).isEmpty(), entry.FormKey.constData());
        for (const TTextSlot &slot : FormTextSlots(*entry.Form, entry.FormKey))
            if (slot.Get().contains(words))
                check(slot.Key, slot.Get());
    }
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    QVERIFY(FormRegistry().Entries().size() >= 9); // main, 5 bookmark windows, speed bar, dialogs
}

void TestProgram::mainWindowStaysReachableWithoutTray()
{
    TMainForm form;
    form.SetFadeLevel(TBaseForm::MaxFadeLevel);
    QVERIFY(form.IsShowing());
    form.SetTaskbarMode(true);
    QVERIFY(!form.testAttribute(Qt::WA_ShowWithoutActivating));
    QCOMPARE(form.windowType(), Qt::Window); // a taskbar entry
    form.SetFadeLevel(0);
    QVERIFY(form.isVisible() && form.isMinimized() && !form.IsShowing());
    QCOMPARE(form.windowOpacity(), 1.0);
    form.SetFadeLevel(TBaseForm::MaxFadeLevel);
    QVERIFY(form.IsShowing());
    form.SetTaskbarMode(false); // a tray host came back
    QVERIFY(form.IsShowing());  // it was shown by the program: it stays
    form.SetFadeLevel(0);
    form.SetTaskbarMode(true); // hidden when the host went: shown so it is not lost
    QVERIFY(form.IsShowing());
    form.SetTaskbarMode(false);
    QVERIFY(!form.isVisible()); // and hidden again when the host is back
    QCOMPARE(form.windowType(), Qt::Tool);
    form.SetFadeLevel(0);
    QVERIFY(!form.isVisible());
}

void TestProgram::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("endsWith"); // -1: this copy runs
    QTest::newRow("none") << QStringList() << int(TCommand::Run) << -1;
    QTest::newRow("uninstall") << QStringList{"/UNINSTALL"} << int(TCommand::Uninstall) << -1;
    QTest::newRow("template, even with another copy running")
        << QStringList{"/CREATELNG"} << int(TCommand::CreateTemplate) << -1;
    QTest::newRow("switch in lower case")
        << QStringList{"/uninstall"} << int(TCommand::Unknown) << 2;
    QTest::newRow("help") << QStringList{"--help"} << int(TCommand::Help) << 0;
    QTest::newRow("version") << QStringList{"--version"} << int(TCommand::Version) << 0;
    QTest::newRow("anything else") << QStringList{"--bogus", "x"} << int(TCommand::Unknown) << 2;
}

void TestProgram::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, command);
    QFETCH(int, endsWith);
    QCOMPARE(int(ParseCommandLine(arguments)), command);
    if (const std::optional<int> status = AnswerAtOnce(TCommand(command))) {
        QCOMPARE(*status, endsWith);
        return;
    }
    QTemporaryDir folder;
    QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner));
    platform::TSingleInstance guard(folder.path());
    const std::optional<int> status = EndBeforeStart(TCommand(command), arguments, guard);
    QCOMPARE(status.value_or(-1), endsWith);
    // Only a copy that may run takes the lock; a template is never handed to another copy.
    const bool locked = !QDir(folder.path()).isEmpty();
    QCOMPARE(locked, command == int(TCommand::Run) || command == int(TCommand::Uninstall));
}

namespace {
struct HideCounter final : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Hide ? 1 : 0;
        return false;
    }
};

TMainForm *MainWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *main = qobject_cast<TMainForm *>(window))
            return main;
    return nullptr;
}
} // namespace

void TestProgram::triggerDuringFadeWaitsForIt_data()
{
    QTest::addColumn<bool>("secondStart"); // else a left click on the tray icon
    QTest::newRow("second start") << true;
    QTest::newRow("tray click") << false;
}

// Delivered while the windows fade out, a second start or a click on the tray icon is
// handled once the fade is done: the windows come back.
void TestProgram::triggerDuringFadeWaitsForIt()
{
    QFETCH(bool, secondStart);
    Settings.Installed = true;
    Settings.NoNetAccess = true;
    RememberAnswer(Information, QStringLiteral("Hide"), CheckedByDefault, true, true);
    QTemporaryDir runtime;
    platform::TSingleInstance guard(runtime.path());
    QVERIFY(guard.Start({}).Listening);
    TProgram program({}, [] { return true; });
    connect(&guard, &platform::TSingleInstance::InstanceStarted, &program,
            &TProgram::InstanceStarted);
    TMainForm *main = MainWindow();
    QTRY_COMPARE_WITH_TIMEOUT(main->FadeLevel(), TBaseForm::MaxFadeLevel, 10000);
    QLocalSocket second;
    if (secondStart) {
        second.connectToServer(runtime.filePath(QLatin1String(platform::instance::SocketFileName)));
        QVERIFY(second.waitForConnected(5000));
        second.write(platform::EncodeParamsFrame({}));
        QVERIFY(second.waitForBytesWritten(5000));
    } else {
        auto *tray = program.findChild<platform::TTrayIcon *>();
        QMetaObject::invokeMethod(
            tray, [tray] { emit tray->MouseDown(Qt::LeftButton); }, Qt::QueuedConnection);
    }
    HideCounter hides;
    main->installEventFilter(&hides);
    main->findChild<QAction *>(QStringLiteral("PopupTrayShowHide"))->trigger();
    QCOMPARE(hides.count, 0); // the fade goes on after the command has returned
    QTRY_VERIFY_WITH_TIMEOUT(hides.count > 0 && main->FadeLevel() == TBaseForm::MaxFadeLevel,
                             10000);
}

QTEST_MAIN(TestProgram)
#include "test_program.moc"
