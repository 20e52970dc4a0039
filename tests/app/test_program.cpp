// The tray program as a whole: its windows, translations and command line, and how it
// meets a second copy, the tray icon and a quit signal while it fades or waits.
#include "../store/storefixture.h"
#include "app/commandline.h"
#include "app/mainform.h"
#include "app/program.h"
#include "config/configdlg.h"
#include "config/installdlg.h"
#include "config/messageflags.h"
#include "config/settings.h"
#include "lang/confirm.h"
#include "lang/languages.h"
#include "lang/phrases.h"
#include "lang/translatable.h"
#include "platform/instanceframe.h"
#include "platform/singleinstance_os.h"
#include "rowfile.h"
#include "store/ini.h"

#include <QLocalSocket>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {
// A command by its name, in the order of the enumeration.
Command commandNamed(const QString &name)
{
    return Command(
        QStringList{"Run", "Uninstall", "CreateTemplate", "Help", "Version", "Unknown"}.indexOf(
            name));
}

template <typename T> T *topLevel()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(window))
            return found;
    return nullptr;
}

// Counts the events of one type that reach a window and runs a hook on each.
struct EventHook final : QObject
{
    EventHook(
        QObject *target, QEvent::Type type, std::function<void()> hook = [] {})
        : m_type(type), m_hook(std::move(hook))
    {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type) {
            ++count;
            m_hook();
        }
        return false;
    }
    int count = 0;

  private:
    QEvent::Type m_type;
    std::function<void()> m_hook;
};

// The program running beside a tray host (or without one), reachable for later copies
// through its guard.
struct Running
{
    explicit Running(bool trayHost = true)
        : guard(runtime.path()), program({}, [trayHost] { return trayHost; })
    {
        guard.start({});
        QObject::connect(&guard, &platform::SingleInstance::instanceStarted, &program,
                         &Program::instanceStarted);
    }
    // The main window once it has faded in; none when it does not.
    MainForm *shownMain() const
    {
        MainForm *main = topLevel<MainForm>();
        const auto shown = [main] { return main->fadeLevel() == BaseForm::maxFadeLevel; };
        return QTest::qWaitFor(shown, 10000) ? main : nullptr;
    }
    void trigger(const char *item) const
    {
        topLevel<MainForm>()->findChild<QAction *>(QLatin1String(item))->trigger();
    }
    // Another copy hands over its start; the socket stays open for the answer.
    void secondStart()
    {
        second.connectToServer(runtime.filePath(platform::instance::socketFileName));
        second.waitForConnected(5000);
        second.write(platform::encodeParamsFrame({}));
        second.waitForBytesWritten(5000);
    }
    QTemporaryDir runtime;
    platform::SingleInstance guard;
    Program program;
    QLocalSocket second;
};
} // namespace

class TestProgram final : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;

  private slots:
    void initTestCase()
    {
        writeFile(QDir::home().filePath("Favorites/Paper.url"), shortcut("http://paper.test/"));
        languages().scan({QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)});
    }
    void init()
    {
        loadSettings({}, m_home.path());
        std::tie(settings.installed, settings.noNetAccess) = std::tuple(true, true);
        SettingsMessageMemory messages;
        rememberAnswer(messages, Information, QStringLiteral("Hide"), CheckedByDefault, true, true);
    }

    void translationsCoverEveryText_data() { addRowsFromFile(u"app/translations.tsv"_s); }
    // Every phrase and every text of every window the program builds has its entry in each
    // shipped language, so a new window or message cannot ship half translated.
    void translationsCoverEveryText()
    {
        QFETCH(QString, language);
        Program program({});
        QVERIFY(languages().setCurrentLanguage(language));
        // English must also say what the program says without any file.
        const bool english = language == u"English";
        QStringList missing;
        const auto check = [&](const QByteArray &key, const QString &builtIn) {
            const std::optional<QString> found = languages().findLngValue(key);
            if (!found || (english && *found != builtIn))
                missing << QString::fromLatin1(key);
        };
        for (const PhraseDefault &phrase : phraseDefaults())
            check(phrase.key, QString::fromUtf8(phrase.english));
        const QRegularExpression words(QStringLiteral("[A-Za-z]"));
        for (const FormEntry &entry : formRegistry().entries()) {
            QVERIFY2(duplicateComponentNames(*entry.form).isEmpty(), entry.formKey.constData());
            for (const TextSlot &slot : formTextSlots(*entry.form, entry.formKey))
                if (slot.get().contains(words))
                    check(slot.key, slot.get());
        }
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    }

    void commandLine_data() { addRowsFromFile(u"app/commandlines.tsv"_s); }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, command);
        QFETCH(int, endsWith);
        const Command named = commandNamed(command);
        QCOMPARE(parseCommandLine(arguments), named);
        if (const std::optional<int> status = answerAtOnce(named)) {
            QCOMPARE(*status, endsWith);
            return;
        }
        QTemporaryDir folder;
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner));
        platform::SingleInstance guard(folder.path());
        const std::optional<int> status = endBeforeStart(named, arguments, guard);
        QCOMPARE(status.value_or(-1), endsWith);
        // Only a copy that may run takes the lock; a template is never handed to another copy.
        const bool locked = !QDir(folder.path()).isEmpty();
        QCOMPARE(locked, named == Command::Run || named == Command::Uninstall);
    }

    void triggerDuringFadeWaitsForIt_data() { addRowsFromFile(u"app/fadetriggers.tsv"_s); }
    // Delivered while the windows fade out, a second start or a click on the tray icon is
    // taken once the fade is done: the windows come back.
    void triggerDuringFadeWaitsForIt()
    {
        QFETCH(bool, secondStart);
        Running run;
        MainForm *main = run.shownMain();
        QVERIFY(main);
        auto *tray = run.program.findChild<platform::TrayIcon *>();
        if (secondStart)
            run.secondStart();
        else
            QMetaObject::invokeMethod(
                tray, [tray] { emit tray->mouseDown(Qt::LeftButton); }, Qt::QueuedConnection);
        const EventHook hides(main, QEvent::Hide);
        run.trigger("PopupTrayShowHide");
        QCOMPARE(hides.count, 0); // the fade goes on after the command has returned
        QTRY_VERIFY_WITH_TIMEOUT(hides.count > 0 && main->fadeLevel() == BaseForm::maxFadeLevel,
                                 10000);
    }

    // A language chosen in the tray menu is in the settings file at once, not only at Quit.
    void languageKeptWhenChosen()
    {
        Running run;
        QVERIFY(run.shownMain());
        const auto choose = [](const QString &name) {
            QMenu *menu = topLevel<MainForm>()
                              ->findChild<QAction *>(QStringLiteral("PopupTrayLanguage"))
                              ->menu();
            for (QAction *item : menu->actions())
                if (item->text() == name)
                    item->trigger();
            return iniReadString(settingsFile(), QStringLiteral("Config"),
                                 QStringLiteral("Language"), {});
        };
        QTRY_COMPARE(choose(QStringLiteral("Deutsch")), QStringLiteral("Deutsch"));
        QTRY_COMPARE(choose(QStringLiteral("English")), QString());
    }

    void secondStartRaisesDialogs_data() { addRowsFromFile(u"app/raiseddialogs.tsv"_s); }
    void secondStartRaisesDialogs()
    {
        QFETCH(QString, item);
        Running run;
        QVERIFY(run.shownMain());
        run.trigger(item.toLatin1().constData());
        QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeWindow()));
        QWidget *dialog = QApplication::activeWindow();
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        run.secondStart();
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
    }

    // The menu item and the title window's signal open one broken-links window; again, they
    // raise it. What it shows follows the settings, and a selection stays where it was.
    void brokenLinksWindowIsOne()
    {
        const QString copy = QDir::home().filePath("Favorites/Paper copy.url");
        writeFile(copy, shortcut("http://paper.test/"));
        const auto removeCopy = qScopeGuard([&] { QFile::remove(copy); });
        Running run;
        MainForm *main = run.shownMain();
        QVERIFY(main);
        const auto shown = [] {
            QWidgetList found;
            for (QWidget *window : QApplication::topLevelWidgets())
                if (window->objectName() == u"BrokenLinksWindow" && window->isVisible())
                    found << window;
            return found;
        };
        emit main->brokenLinksAsked();
        QCOMPARE(shown().size(), 1);
        run.trigger("PopupTrayBroken");
        QCOMPARE(shown().size(), 1);
        // "Check again now" says why it cannot check, until network access is on again.
        auto *check = shown()[0]->findChild<QPushButton *>(u"BrokenCheck"_s);
        auto *copies = shown()[0]->findChild<QTreeWidget *>(u"CopiesTree"_s);
        QCOMPARE(copies->topLevelItem(0)->childCount(), 1);
        copies->topLevelItem(0)->child(0)->setSelected(true);
        for (const bool off : {true, false}) {
            settings.noNetAccess = off;
            emit topLevel<ConfigDialog>()->accepted();
            QCOMPARE(check->toolTip(), off ? phrase("HintCheckOff") : QString());
            QCOMPARE(copies->selectedItems().size(), 1);
            QCOMPARE(copies->selectedItems()[0]->parent(), copies->topLevelItem(0));
        }
    }

    // A quit signal while the welcome dialog waits for the user declines it and quits:
    // the start goes no further and no settings are written.
    void quitSignalDeclinesTheWelcome()
    {
        QTemporaryDir appData;
        loadSettings({}, appData.path());
        Running run;
        auto *welcome = topLevel<InstallDialog>();
        std::optional<int> result;
        connect(welcome, &QDialog::finished, this, [&](int answer) { result = answer; });
        const EventHook shown(welcome, QEvent::Show, [welcome] {
            ::raise(SIGTERM);
            QTimer::singleShot(10000, welcome, &QDialog::accept); // should the signal be lost
        });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
        QCOMPARE(*result, int(QDialog::Rejected));
        QVERIFY(!run.program.findChild<platform::TrayIcon *>()->iconVisible());
        saveSettings();
        QVERIFY(!QFile::exists(settingsFile()));
    }
};

QTEST_MAIN(TestProgram)
#include "test_program.moc"
