#pragma once

// Fakes for every seam of the review logic, and a rig that builds a review over a temporary
// Favorites folder with a fixed clock.
#include "../refresh/fakedownloader.h"
#include "../store/storefixture.h"
#include "app/review.h"
#include "cells.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "lang/confirm.h"
#include "lang/languages.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <deque>
#include <thread>

using namespace Qt::Literals::StringLiterals;

inline constexpr DateTime day15 = 45000.5; // 2023-03-15 12:00
inline constexpr DateTime second = 1.0 / 86400;

struct FakeTimer final : ReviewTimer
{
    bool active = false;
    void start(int) override { active = true; }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
};

// Answers in order (No when none is left) and records each question as
// "kind key image options", and its text.
struct ScriptedConfirmer final : Confirmer
{
    struct Answer
    {
        bool yes = true;
        std::function<void()> meanwhile = {}; // runs while the question is open
    };
    std::deque<Answer> answers;
    QStringList asked, told;
    bool showConfirm(int kind, const QString &text, const QString &key, quint16 image,
                     ConfirmOptions options) override
    {
        asked << u"%1 %2 %3 %4"_s.arg(kind).arg(key).arg(image).arg(options);
        told << text;
        const Answer answer = answers.empty() ? Answer{false} : answers.front();
        if (!answers.empty())
            answers.pop_front();
        if (answer.meanwhile)
            answer.meanwhile();
        return answer.yes;
    }
};

// The browser and the trash: what reached them; the trash moves into a folder of its own.
struct FakeDesktop final : AddressOpener, Trash
{
    QTemporaryDir bin;
    bool works = true;
    QStringList opened, trashed;
    QString openAddress(const QString &address) override { return open(address); }
    QString openFile(const QString &path) override { return open(u"file:"_s + path); }
    QString open(const QString &target) { return (opened << target, works ? QString() : "none"); }
    bool moveToTrash(const QString &path) override
    {
        if (!works || !QFileInfo::exists(path))
            return false;
        trashed << path;
        return QDir().rename(path, bin.filePath(QString::number(trashed.size())));
    }
};

// Records the calls that change what the user sees, one word each. While moving, work
// for still windows waits until settle().
struct FakeView final : ReviewView
{
    bool visible = false, moving = false;
    QStringList log, errors;
    std::vector<std::function<void()>> waiting;
    bool isMainVisible() const override { return visible; }
    void updateView() override { log << u"UpdateView"_s; }
    void updateShownTexts() override { log << u"UpdateTexts"_s; }
    void showAll() override { log << u"ShowAll"_s, visible = true; }
    void hideAll() override { log << u"HideAll"_s, visible = false; }
    void removeBookmarkWindow(int row) override { log << u"Remove%1"_s.arg(row); }
    void sayFarewell(int row, DateTime nextDay) override
    {
        log << u"Farewell%1 %2"_s.arg(row).arg(nextDay), visible = false;
    }
    bool isMoving() const override { return moving; }
    void whenStill(std::function<void()> then) override
    {
        moving ? waiting.push_back(std::move(then)) : then();
    }
    void clearShownWindows() override { log << u"ClearShown"_s; }
    void updateProgress() override { log << u"Progress"_s; }
    void showNetworkHint(const QString &text) override { log << u"Hint "_s + text; }
    void showError(const QString &text) override { errors << text; }
    void showRefreshSummary(const QString &text) override { log << u"Summary "_s + text; }
    void favoritesRead() override { log << u"Read"_s; }
    void settle()
    {
        moving = false;
        for (auto works = std::exchange(waiting, {}); const auto &work : works)
            work();
    }
};

struct FakeHost final : ReviewHost
{
    bool installs = true; // the first-run dialog's outcome
    std::function<void()> duringFirstRun = [] {};
    QStringList log;
    bool activateLanguage(const QByteArray &name) override
    {
        return (log << u"Language "_s + QString::fromUtf8(name), true);
    }
    bool runFirstRun() override // a declined one, as the program's, leaves no settings
    {
        return (log << u"FirstRun"_s, duringFirstRun(), installs || (disableSaving(), false));
    }
    void showTray() override { log << u"Tray"_s; }
    void createLanguageTemplate() override { log << u"Template"_s; }
    void uninstalled(const UninstallReport &report) override
    {
        log << u"Uninstalled %1"_s.arg(report.notCleaned.size());
    }
    void closeMainWindow() override { log << u"Close"_s; }
    void keepSelectionMode(int mode) override { log << u"Mode %1"_s.arg(mode); }
};

// Bookmark state as tests write it before the review reads the folder.
struct Mark
{
    DateTime reference = 100;
    DateTime remind = 1.0;      // due at once; -1 kept for good
    DateTime refreshed = day15; // fresh; 0 awaits a refresh
    QString subject = {};       // a subject phrase that the suggestion sends, with its match
};

struct ReviewRig
{
    QTemporaryDir favorites, appData;
    DateTime now = day15;
    ReviewOptions options{.noNetAccess = true, .installed = true};
    Languages language; // none chosen: the English texts
    FakeTimer timer;
    ScriptedConfirmer confirmer;
    FakeDesktop desktop;
    FakeView view;
    FakeHost host;
    FakeDownloader *downloader = nullptr;
    std::function<void()> resultReady;
    const platform::FileWriteOps *writeOps = nullptr;
    std::optional<quint32> seed = 0; // none: from the clock
    std::unique_ptr<Review> review;

    ReviewRig() { loadSettings({}, appData.path()), settings.installed = true; }
    QString path(const QString &name) const { return favorites.filePath(name); }
    int find(const Bookmarks &list, const QString &name) const
    {
        for (int i = 0; i < list.count(); ++i)
            if (list.item(i)->fileName == path(name))
                return i;
        return -1;
    }
    // Writes a shortcut (url null: without an address, so that nothing can be stored).
    void add(const QString &name, const Mark &mark = {}, const QByteArray &url = "http://a.test/")
    {
        writeFile(path(name), url.isNull() ? QByteArray("[InternetShortcut]\r\n") : shortcut(url));
        Bookmarks list(favorites.path());
        BookmarkRec &rec = *list.item(find(list, name));
        std::tie(rec.referenceTime, rec.remindTime, rec.refreshed) =
            std::tuple(mark.reference, mark.remind, mark.refreshed);
        if (!mark.subject.isEmpty())
            std::tie(rec.subjectPhrase, rec.match, rec.rating) =
                std::tuple(mark.subject, mark.subject, int(mark.subject.size()));
        list.save(find(list, name));
    }
    Review &start(const QStringList &arguments = {})
    {
        const MakeDownloader makeDownloader = [this](std::function<void()> ready) {
            auto fake = std::make_unique<FakeDownloader>();
            std::tie(downloader, resultReady) = std::tuple(fake.get(), std::move(ready));
            return fake;
        };
        review = std::make_unique<Review>(favorites.path(),
                                          ReviewSeams{[this] { return now; }, timer, confirmer,
                                                      desktop, desktop, view, host, language,
                                                      makeDownloader, writeOps, seed},
                                          options, arguments);
        return *review;
    }
    // The first tick, after which the windows are up.
    Review &started() { return start(), review->tick(), *review; }
    void tick(double seconds = 1) { now += seconds * second, review->tick(); }
    // The worker publishes an answer, or a failure's status line, and says so from its own
    // thread; the review stores it once the posted call comes through, with no tick.
    void publish(const DownloadResult &result, const QByteArray &answer)
    {
        downloader->publish(result, answer);
        const QStringList before = view.log;
        std::thread(resultReady).join();
        QCOMPARE(view.log, before); // nothing happens on the worker's thread
        QCoreApplication::sendPostedEvents();
    }
    void finish(const QByteArray &page) { publish(*downloader->outstanding, page); }
    int indexOf(const QString &name) const { return find(review->bookmarks(), name); }
    // The file's state as a fresh read finds it; an empty record when the file is gone.
    BookmarkRec stored(const QString &name) const
    {
        const Bookmarks list(favorites.path());
        const int i = find(list, name);
        return i < 0 ? BookmarkRec() : *list.item(i);
    }
};
