#pragma once

#include "arrangement.h"

#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class BaseForm;
class BookmarkForm;
class SpeedForm;

// Knows which floating windows belong on the screen, places them in a column beside the
// taskbar and fades them in and out. It creates the five bookmark windows and the speed bar
// as windows of the main window, which destroys them; the arranger only forgets them.
//
// Fades and slides run step by step on a timer, so the program keeps handling its events
// meanwhile. What is asked for while the windows move waits until they stand still, in the
// order it was asked.
class WindowArranger final
{
  public:
    using ScreenSource = std::function<platform::ScreenArea()>;
    using PauseObserver = std::function<void(int ms)>; // each pause between two steps

    explicit WindowArranger(BaseForm *mainWindow, ScreenSource screen = platform::screenUnderCursor,
                            PauseObserver pauses = {});
    WindowArranger(const WindowArranger &) = delete;
    WindowArranger &operator=(const WindowArranger &) = delete;

    BookmarkForm *bookmarkWindow(int i) const; // none outside 0..4
    SpeedForm *speedWindow() const;
    BaseForm *windowAt(int slot) const; // -1..5

    // The mark of bookmark window i; false outside 0..4.
    bool isShown(int i) const;
    // Marks bookmark window i; taking the mark away hides the window at once.
    void setShown(int i, bool shown);
    void clearAllShown();
    // Gives the keyboard to the shown bookmark window step windows below from in the column,
    // round from the bottom to the top; to the top one when from is none of them. Only then
    // do the windows take the focus; it stays in the column until the column hides.
    void focusBookmark(const BookmarkForm *from, int step);
    // The mark of any slot -1..5, the speed bar's included.
    bool slotMarked(int slot) const;

    // Moves the main window alone into the corner at the panel, where the column begins.
    void placeMainAlone();
    // Where the windows on the screen stand; null when none is there.
    QRect columnArea() const;

    bool dockLeft() const { return m_dockLeft; }
    bool dockTop() const { return m_dockTop; }

    void fadeWindow(int slot, bool show);
    void arrange();
    // Arranges, then fades the marked windows in one after another, the speed bar first.
    void showAll();
    // Fades the marked windows that are showing out together, each from its own level;
    // the marks stay for the next ShowAll.
    void hideAll();
    // After an action on window: the others close the gap, or all fade out when it was the
    // last bookmark window. Any other window is ignored.
    void removeWindow(const BaseForm *window);
    // After the last shown bookmark was handled (in window, or in the main window when that
    // is none): the bookmark window and the speed bar fade out, the main window moves into
    // the corner and says goodbye for a while, then it fades out too.
    void farewell(const BaseForm *window, std::function<void()> sayGoodbye);

    // A fade or slide is under way or waiting.
    bool isMoving() const { return !m_steps.empty() || m_timer.isActive(); }
    // Runs work at once when the windows stand still, else once all asked for before is done.
    void whenStill(std::function<void()> work);
    // Drops every step not yet taken and takes no more: the program is closing.
    void stop();

  private:
    struct Step
    {
        std::function<void()> run;
        int pauseMs = 0; // before the next step
    };

    static bool isSlot(int slot) { return slot >= mainSlot && slot <= speedSlot; }
    int slotOf(const BaseForm *window) const;
    bool anyOtherBookmarkMarked(int slot) const;
    void queueFade(int slot, bool show);
    void queueHideAll();
    std::vector<BookmarkForm *> shownBookmarks() const; // top to bottom
    void focusShown(std::ptrdiff_t position);
    void queueHide(const std::function<bool(int slot)> &which);
    void queueSlide(int beforeSlot, int gap);
    void queueLevel(BaseForm *window, int level);
    void queue(std::function<void()> run, int pauseMs);
    void play();

    ScreenSource m_screen;
    PauseObserver m_pauses;
    std::array<QPointer<BaseForm>, slotCount> m_windows;
    std::array<bool, slotCount> m_marks{};
    bool m_dockLeft = false;
    bool m_dockTop = false;
    std::deque<Step> m_steps;
    QTimer m_timer;
    bool m_playing = false;
    bool m_stopped = false;
    bool m_keyboard = false; // the user gave the keyboard to the column
};
