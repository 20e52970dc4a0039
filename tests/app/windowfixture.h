#pragma once

// A Favorites folder of named bookmarks for the window tests, with a fixed clock. Every
// bookmark starts refreshed a day ago, with page title and description, in the rotation.
#include "../store/storefixture.h"
#include "store/bookmarks.h"

#include <QTemporaryDir>
#include <QTextDocument>
#include <QWidget>
#include <memory>

inline constexpr DateTime sampleNow = 38001.5; // 15 January 2004 12:00

struct SampleFavorites final
{
    explicit SampleFavorites(const QStringList &names)
    {
        for (const QString &name : names)
            writeFile(dir.filePath(name + ".url"),
                      shortcut("http://" + name.toUtf8().toPercentEncoding() + ".test/"));
        bookmarks = std::make_unique<Bookmarks>(dir.path(), BookmarksEnv{[] { return sampleNow; }});
        for (int i = 0; i < bookmarks->count(); ++i) {
            BookmarkRec &rec = *bookmarks->item(i);
            const QString name = bookmarks->displayName(i);
            std::tie(rec.title, rec.descr, rec.storedUrl) =
                std::tuple("Title of " + name, "About " + name, "https://www." + name + ".test/");
            std::tie(rec.refreshed, rec.refreshState, rec.referenceTime, rec.remindTime) =
                std::tuple(sampleNow - 1, 0, sampleNow - 100, 0.0);
        }
    }
    const Bookmarks &list() const { return *bookmarks; }
    int index(const QString &name) const
    {
        for (int i = 0; i < bookmarks->count(); ++i)
            if (bookmarks->displayName(i) == name)
                return i;
        return -1;
    }
    BookmarkRec &rec(const QString &name) { return *bookmarks->item(index(name)); }

    QTemporaryDir dir;
    std::unique_ptr<Bookmarks> bookmarks;
};

// The text a person reads in a widget's tool tip.
inline QString toolTipText(const QWidget *widget)
{
    QTextDocument document;
    document.setHtml(widget->toolTip());
    return document.toPlainText();
}

// The offscreen platform warns about every opacity, mask and raise request.
inline void silenceOffscreenWarnings()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, message);
        });
}
