#pragma once

// A Favorites folder of named bookmarks for the window tests, with a fixed clock. Every
// bookmark starts refreshed a day ago, with page title and description, in the rotation.
#include "../store/storefixture.h"
#include "store/bookmarks.h"

#include <QTemporaryDir>
#include <QTextDocument>
#include <QWidget>
#include <memory>

inline constexpr TDateTime SampleNow = 38001.5; // 15 January 2004 12:00

struct SampleFavorites final
{
    explicit SampleFavorites(const QStringList &names)
    {
        for (const QString &name : names)
            WriteFile(dir.filePath(name + ".url"),
                      Shortcut("http://" + name.toUtf8().toPercentEncoding() + ".test/"));
        list = std::make_unique<TBookmarks>(dir.path(), TBookmarksEnv{[] { return SampleNow; }});
        for (int i = 0; i < list->Count(); ++i) {
            TBookmarkRec &rec = *list->Item(i);
            const QString name = list->DisplayName(i);
            std::tie(rec.Title, rec.Descr, rec.StoredURL) =
                std::tuple("Title of " + name, "About " + name, "https://www." + name + ".test/");
            std::tie(rec.Refreshed, rec.RefreshState, rec.ReferenceTime, rec.RemindTime) =
                std::tuple(SampleNow - 1, 0, SampleNow - 100, 0.0);
        }
    }
    const TBookmarks &List() const { return *list; }
    int Index(const QString &name) const
    {
        for (int i = 0; i < list->Count(); ++i)
            if (list->DisplayName(i) == name)
                return i;
        return -1;
    }
    TBookmarkRec &Rec(const QString &name) { return *list->Item(Index(name)); }

    QTemporaryDir dir;
    std::unique_ptr<TBookmarks> list;
};

// The text a person reads in a widget's tool tip.
inline QString ToolTipText(const QWidget *widget)
{
    QTextDocument document;
    document.setHtml(widget->toolTip());
    return document.toPlainText();
}

// The offscreen platform warns about every opacity, mask and raise request.
inline void SilenceOffscreenWarnings()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, message);
        });
}
