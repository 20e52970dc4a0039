#pragma once

#include "arrangement.h"

#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

class TBaseForm;
class TBookmarkForm;
class TSpeedForm;

// Knows which floating windows belong on the screen, places them in a column beside the
// taskbar and fades them in and out. It creates the five bookmark windows and the speed bar
// as windows of the main window, which destroys them; the arranger only forgets them.
//
// Fades and slides run step by step on a timer, so the program keeps handling its events
// meanwhile. What is asked for while the windows move waits until they stand still, in the
// order it was asked.
class TWindowArranger final
{
  public:
    using ScreenSource = std::function<platform::ScreenArea()>;
    using PauseObserver = std::function<void(int ms)>; // each pause between two steps

    explicit TWindowArranger(TBaseForm *mainWindow,
                             ScreenSource screen = platform::screenUnderCursor,
                             PauseObserver pauses = {});
    TWindowArranger(const TWindowArranger &) = delete;
    TWindowArranger &operator=(const TWindowArranger &) = delete;

    TBookmarkForm *BookmarkWindow(int i) const; // none outside 0..4
    TSpeedForm *SpeedWindow() const;
    TBaseForm *Window(int slot) const; // -1..5

    // The mark of bookmark window i; false outside 0..4.
    bool IsShown(int i) const;
    // Marks bookmark window i; taking the mark away hides the window at once.
    void SetShown(int i, bool shown);
    void ClearAllShown();
    // The mark of any slot -1..5, the speed bar's included.
    bool SlotMarked(int slot) const;

    // Moves the main window alone into the corner at the panel, where the column begins.
    void PlaceMainAlone();
    // Where the windows on the screen stand; null when none is there.
    QRect ColumnArea() const;

    bool DockLeft() const { return m_dockLeft; }
    bool DockTop() const { return m_dockTop; }

    void FadeWindow(int slot, bool show);
    void Arrange();
    // Arranges, then fades the marked windows in one after another, the speed bar first.
    void ShowAll();
    // Fades the marked windows that are showing out together, each from its own level;
    // the marks stay for the next ShowAll.
    void HideAll();
    // After an action on window: the others close the gap, or all fade out when it was the
    // last bookmark window. Any other window is ignored.
    void RemoveWindow(const TBaseForm *window);
    // After the last shown bookmark was handled (in window, or in the main window when that
    // is none): the bookmark window and the speed bar fade out, the main window moves into
    // the corner and says goodbye for a while, then it fades out too.
    void Farewell(const TBaseForm *window, std::function<void()> sayGoodbye);

    // A fade or slide is under way or waiting.
    bool IsMoving() const { return !m_steps.empty() || m_timer.isActive(); }
    // Runs work at once when the windows stand still, else once all asked for before is done.
    void WhenStill(std::function<void()> work);
    // Drops every step not yet taken and takes no more: the program is closing.
    void Stop();

  private:
    struct TStep
    {
        std::function<void()> Run;
        int PauseMs = 0; // before the next step
    };

    static bool IsSlot(int slot) { return slot >= MainSlot && slot <= SpeedSlot; }
    int SlotOf(const TBaseForm *window) const;
    bool AnyOtherBookmarkMarked(int slot) const;
    void QueueFade(int slot, bool show);
    void QueueHideAll();
    void QueueHide(const std::function<bool(int slot)> &which);
    void QueueSlide(int beforeSlot, int gap);
    void QueueLevel(TBaseForm *window, int level);
    void Queue(std::function<void()> run, int pauseMs);
    void Play();

    ScreenSource m_screen;
    PauseObserver m_pauses;
    std::array<QPointer<TBaseForm>, SlotCount> m_windows;
    std::array<bool, SlotCount> m_marks{};
    bool m_dockLeft = false;
    bool m_dockTop = false;
    std::deque<TStep> m_steps;
    QTimer m_timer;
    bool m_playing = false;
    bool m_stopped = false;
};
