#pragma once

#include "reviewactions.h"
#include "reviewchooser.h"
#include "reviewrefresh.h"
#include "reviewrows.h"
#include "reviewsession.h"
#include "reviewticker.h"

#include <QStringList>
#include <memory>

// The review logic behind the main window, built from its parts: the choice of bookmarks for
// the five rows, the actions on them, the tick, the refresh and the review's life from start
// to end. It owns what they share (the bookmark list, the rows, the options) and wires them.
// Everything runs on the user-interface thread.
class Review final
{
  public:
    static constexpr int rowCount = ReviewRows::count;

    // Reads the Favorites folder, chooses the first entries and starts the timer for the
    // first tick. arguments are the program's command-line parameters.
    Review(const QString &favoritesPath, ReviewSeams seams, const ReviewOptions &options,
           const QStringList &arguments);
    ~Review();
    Review(const Review &) = delete;
    Review &operator=(const Review &) = delete;

    void setOptions(const ReviewOptions &options); // the user changed the settings
    const ReviewOptions &options() const { return m_options; }
    void tick(); // the timer's; the first one completes the start

    Bookmarks &bookmarks() { return *m_bookmarks; }
    ReviewRows &rows() { return m_rows; }
    BookmarkChooser &chooser() { return m_chooser; }
    BookmarkActions &actions() { return m_actions; }
    ReviewTicker &ticker() { return m_ticker; }
    ReviewRefresh &refresh() { return m_refresh; }
    ReviewSession &session() { return m_session; }

  private:
    ReviewOptions m_options;
    const Clock m_now;
    const ReviewTexts m_texts;
    std::unique_ptr<Bookmarks> m_bookmarks;
    ReviewRows m_rows;
    const ReviewCommon m_common;
    ReviewRefresh m_refresh;
    BookmarkChooser m_chooser;
    BookmarkActions m_actions;
    ReviewTicker m_ticker;
    ReviewSession m_session;
};
