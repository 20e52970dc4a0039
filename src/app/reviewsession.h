#pragma once

#include "reviewrows.h"

#include <QStringList>

class BookmarkChooser;
class ReviewRefresh;
class ReviewTicker;

// What became of a second start: handled, waiting for the action that asks the user
// something to end, or refused because the program is closing.
enum class StartOutcome { Taken, WaitsForAction, Refused };

// The review's life: the start, completed by the first tick (the command line's switches,
// the language, the first-run dialog), a second start, the uninstall, quitting and the end.
class ReviewSession final
{
  public:
    // Chooses the first entries and starts the timer for the first tick. arguments are the
    // program's command-line parameters.
    ReviewSession(const ReviewCommon &common, BookmarkChooser &chooser, ReviewTicker &ticker,
                  ReviewRefresh &refresh, const ReviewSeams &seams, QStringList arguments);

    bool completeStartup(); // the first tick's work; false when the program closes
    StartOutcome takeSecondStart(const QStringList &params);
    void askToQuit();
    void requestClose(); // closes now, or once the running action has ended
    void shutdown();     // the main window is closing: stop everything
    void uninstallCleanup();

  private:
    void closeNow();

    ReviewCommon m_common;
    ReviewRows &m_rows;
    ReviewTicker &m_ticker;
    ReviewRefresh &m_refresh;
    ReviewTimer &m_timer;
    Confirmer &m_confirmer;
    ReviewHost &m_host;
    const QStringList m_arguments;
};
