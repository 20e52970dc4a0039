#pragma once

// Fakes for every seam of the review logic, and a rig that builds a review over a temporary
// Favorites folder with a fixed clock.
#include "../refresh/fakedownloader.h"
#include "../store/storefixture.h"
#include "app/review.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "lang/confirm.h"
#include "store/bookmarks.h"

#include <QTemporaryDir>
#include <deque>

using namespace Qt::Literals::StringLiterals;

inline constexpr TDateTime Day15 = 45000.5; // 2023-03-15 12:00
inline constexpr TDateTime Day30 = 45015.5; // 2023-03-30 12:00
inline constexpr TDateTime Second = 1.0 / 86400;

struct FakeTimer final : TReviewTimer
{
    bool active = false;
    void Start(int) override { active = true; }
    void Stop() override { active = false; }
    bool IsActive() const override { return active; }
};

// Answers in order (No when none is left) and records each question as
// "kind key image options|text". Messages the user ticked away are answered by the real
// memory in the settings file, unasked.
struct ScriptedConfirmer final : TConfirmer
{
    struct Answer
    {
        bool yes = true;
        bool ticked = false;
        std::function<void()> meanwhile = {}; // runs while the question is open
    };
    std::deque<Answer> answers;
    QStringList asked;
    bool ShowConfirm(int kind, const QString &text, const QString &key, quint16 image,
                     TConfirmOptions options) override
    {
        if (const std::optional<bool> skipped = SuppressedAnswer(kind, key, options))
            return *skipped;
        asked << u"%1 %2 %3 %4|"_s.arg(kind).arg(key).arg(image).arg(options) + text;
        const Answer answer = answers.empty() ? Answer{false} : answers.front();
        if (!answers.empty())
            answers.pop_front();
        if (answer.meanwhile)
            answer.meanwhile();
        RememberAnswer(kind, key, options, answer.yes, answer.ticked);
        return answer.yes;
    }
    QStringList keys() const
    {
        QStringList result;
        for (const QString &question : asked)
            result << question.section(u' ', 1, 1);
        return result;
    }
};

// The browser and the trash: what reached them; the trash moves into a folder of its own.
struct FakeDesktop final : TAddressOpener, TTrash
{
    QTemporaryDir bin;
    bool works = true;
    QStringList opened, trashed;
    QString OpenAddress(const QString &address) override { return Open(address); }
    QString OpenFile(const QString &path) override { return Open(u"file:"_s + path); }
    QString Open(const QString &target) { return (opened << target, works ? QString() : "none"); }
    bool MoveToTrash(const QString &path) override
    {
        if (!works || !QFileInfo::exists(path))
            return false;
        trashed << path;
        return QDir().rename(path, bin.filePath(QString::number(trashed.size())));
    }
};

// Records the calls that change what the user sees, one word each. While moving, work
// for still windows waits until settle().
struct FakeView final : TReviewView
{
    bool visible = false, moving = false;
    QStringList log, errors;
    std::vector<std::function<void()>> waiting;
    bool IsMainVisible() const override { return visible; }
    void UpdateView() override { log << u"UpdateView"_s; }
    void ShowAll() override { log << u"ShowAll"_s, visible = true; }
    void HideAll() override { log << u"HideAll"_s, visible = false; }
    void RemoveBookmarkWindow(int row) override { log << u"Remove%1"_s.arg(row); }
    void SayFarewell(int row, TDateTime nextDay) override
    {
        log << u"Farewell%1 %2"_s.arg(row).arg(nextDay), visible = false;
    }
    bool IsMoving() const override { return moving; }
    void WhenStill(std::function<void()> work) override
    {
        moving ? waiting.push_back(std::move(work)) : work();
    }
    void ClearShownWindows() override { log << u"ClearShown"_s; }
    void UpdateProgress() override { log << u"Progress"_s; }
    void ShowNetworkHint(const QString &text) override { log << u"Hint "_s + text; }
    void ShowError(const QString &text) override { errors << text; }
    void FavoritesRead() override { log << u"Read"_s; }
    void settle()
    {
        moving = false;
        for (auto works = std::exchange(waiting, {}); const auto &work : works)
            work();
    }
};

struct FakeHost final : TReviewHost
{
    bool installs = true; // the first-run dialog's outcome
    std::function<void()> duringFirstRun = [] {};
    QStringList log;
    bool ActivateLanguage(const QByteArray &name) override
    {
        return (log << u"Language "_s + QString::fromUtf8(name), true);
    }
    bool RunFirstRun() override
    {
        log << u"FirstRun"_s;
        duringFirstRun();
        return Settings.Installed = installs;
    }
    void ShowTray() override { log << u"Tray"_s; }
    void CreateLanguageTemplate() override { log << u"Template"_s; }
    void Uninstalled(const TUninstallReport &report) override
    {
        log << u"Uninstalled %1"_s.arg(report.NotCleaned.size());
    }
    void CloseMainWindow() override { log << u"Close"_s; }
};

// Bookmark state as tests write it before the review reads the folder.
struct Mark
{
    TDateTime reference = 100;
    TDateTime remind = 1.0;      // due at once; -1 kept for good
    TDateTime refreshed = Day15; // fresh; 0 awaits a refresh
    QString subject = {};        // a subject phrase that the suggestion sends, with its match
};

struct ReviewRig
{
    QTemporaryDir favorites, appData;
    TDateTime now = Day15;
    FakeTimer timer;
    ScriptedConfirmer confirmer;
    FakeDesktop desktop;
    FakeView view;
    FakeHost host;
    FakeDownloader *downloader = nullptr;
    const platform::FileWriteOps *writeOps = nullptr;
    std::optional<quint32> seed = 0; // none: from the clock
    std::unique_ptr<TReview> review;

    ReviewRig()
    {
        LoadSettings({}, appData.path());
        std::tie(Settings.Installed, Settings.NoNetAccess) = std::tuple(true, true);
    }
    QString path(const QString &name) const { return favorites.filePath(name); }
    int find(const TBookmarks &list, const QString &name) const
    {
        for (int i = 0; i < list.Count(); ++i)
            if (list.Item(i)->FileName == path(name))
                return i;
        return -1;
    }
    // Writes a shortcut (url null: without an address, so that nothing can be stored).
    void add(const QString &name, const Mark &mark = {}, const QByteArray &url = "http://a.test/")
    {
        WriteFile(path(name), url.isNull() ? QByteArray("[InternetShortcut]\r\n") : Shortcut(url));
        TBookmarks list(favorites.path());
        TBookmarkRec &rec = *list.Item(find(list, name));
        std::tie(rec.ReferenceTime, rec.RemindTime, rec.Refreshed) =
            std::tuple(mark.reference, mark.remind, mark.refreshed);
        if (!mark.subject.isEmpty())
            std::tie(rec.SubjectPhrase, rec.Match, rec.Rating) =
                std::tuple(mark.subject, mark.subject, int(mark.subject.size()));
        list.Save(find(list, name));
    }
    TReview &start(const QStringList &arguments = {})
    {
        auto fake = std::make_unique<FakeDownloader>();
        downloader = fake.get();
        review = std::make_unique<TReview>(favorites.path(),
                                           TReviewSeams{[this] { return now; }, timer, confirmer,
                                                        desktop, desktop, view, host,
                                                        std::move(fake), writeOps, seed},
                                           arguments);
        return *review;
    }
    // The first tick, after which the windows are up.
    TReview &started()
    {
        start().tick();
        return *review;
    }
    void tick(double seconds = 1)
    {
        now += seconds * Second;
        review->tick();
    }
    int indexOf(const QString &name) const { return find(review->Bookmarks(), name); }
    int rowOf(const QString &name) const
    {
        const auto &entries = review->Entries();
        return int(std::find(entries.begin(), entries.end(), indexOf(name)) - entries.begin());
    }
    // The file's state as a fresh read finds it; an empty record when the file is gone.
    TBookmarkRec stored(const QString &name) const
    {
        const TBookmarks list(favorites.path());
        const int i = find(list, name);
        return i < 0 ? TBookmarkRec() : *list.Item(i);
    }
};
