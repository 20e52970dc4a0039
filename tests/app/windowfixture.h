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

class SampleFavorites final
{
  public:
    explicit SampleFavorites(const QStringList &names)
    {
        for (const QString &name : names)
            WriteFile(m_dir.filePath(name + QStringLiteral(".url")),
                      Shortcut("http://" + name.toUtf8().toPercentEncoding() + ".test/"));
        TBookmarksEnv env;
        env.Now = [] { return SampleNow; };
        env.ReadThreads = 1;
        m_list = std::make_unique<TBookmarks>(m_dir.path(), env);
        for (int i = 0; i < m_list->Count(); ++i) {
            TBookmarkRec &rec = *m_list->Item(i);
            const QString name = m_list->DisplayName(i);
            rec.Title = QStringLiteral("Title of ") + name;
            rec.Descr = QStringLiteral("About ") + name;
            rec.StoredURL = QStringLiteral("https://www.") + name + QStringLiteral(".test/");
            std::tie(rec.Refreshed, rec.RefreshState, rec.ReferenceTime, rec.RemindTime) =
                std::tuple(SampleNow - 1, 0, SampleNow - 100, 0.0);
        }
    }

    const TBookmarks &List() const { return *m_list; }
    int Index(const QString &name) const
    {
        for (int i = 0; i < m_list->Count(); ++i)
            if (m_list->DisplayName(i) == name)
                return i;
        return -1;
    }
    TBookmarkRec &Rec(const QString &name) { return *m_list->Item(Index(name)); }

    void OfferSuggestion(const QString &name, const QString &match)
    {
        TBookmarkRec &rec = Rec(name);
        std::tie(rec.Rating, rec.SubjectPhrase, rec.Match) = std::tuple(1, match.toLower(), match);
    }
    void MakeRefreshDue(const QString &name) { Rec(name).Refreshed = SampleNow - 40; }

  private:
    QTemporaryDir m_dir;
    std::unique_ptr<TBookmarks> m_list;
};

// The text a person reads in a widget's tool tip.
inline QString ToolTipText(const QWidget *widget)
{
    QTextDocument document;
    document.setHtml(widget->toolTip());
    return document.toPlainText();
}

// The offscreen platform warns about every opacity, mask and raise request; the windows
// make those all the time, and the tests need not hear about it.
inline void SilenceOffscreenWarnings()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, message);
        });
}
