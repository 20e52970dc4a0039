#pragma once

#include "arrangement.h"

#include <QPointer>
#include <functional>

class TBaseForm;
class TBookmarkForm;
class TSpeedForm;

// Knows which floating windows belong on the screen, places them in a column beside the
// taskbar and fades them in and out. It creates the five bookmark windows and the speed bar
// as windows of the main window, which destroys them; the arranger only forgets them.
class TWindowArranger final
{
  public:
    using ScreenSource = std::function<platform::ScreenArea()>;
    using Pause = std::function<void(int ms)>;

    // The real pause: lets the windows repaint, then sleeps.
    static void PauseWithEvents(int ms);

    explicit TWindowArranger(TBaseForm *mainWindow,
                             ScreenSource screen = platform::screenUnderCursor,
                             Pause pause = PauseWithEvents);
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

    bool DockLeft() const { return m_dockLeft; }
    bool DockTop() const { return m_dockTop; }

    void FadeWindow(int slot, bool show);
    void Arrange();
    // Arranges, then fades the marked windows in one after another, the speed bar first.
    void ShowAll();
    // Fades every marked window out together; the marks stay for the next ShowAll.
    void HideAll();
    // After an action on window: the others close the gap, or all fade out when it was the
    // last bookmark window. Any other window is ignored.
    void RemoveWindow(const TBaseForm *window);

  private:
    static bool IsSlot(int slot) { return slot >= MainSlot && slot <= SpeedSlot; }
    int SlotOf(const TBaseForm *window) const;
    bool AnyOtherBookmarkMarked(int slot) const;
    void SlideTowardsCorner(int beforeSlot, int gap);

    ScreenSource m_screen;
    Pause m_pause;
    std::array<QPointer<TBaseForm>, SlotCount> m_windows;
    std::array<bool, SlotCount> m_marks{};
    bool m_dockLeft = false;
    bool m_dockTop = false;
};
