#include "arranger.h"

#include "bookmarkform.h"
#include "config/settings.h"
#include "speedform.h"

#include <QCoreApplication>
#include <QThread>

namespace {
constexpr int FadePauseMs = 5;
constexpr int SlidePauseMs = 1;
} // namespace

void TWindowArranger::PauseWithEvents(int ms)
{
    QCoreApplication::processEvents();
    QThread::msleep(ulong(ms));
}

TWindowArranger::TWindowArranger(TBaseForm *mainWindow, ScreenSource screen, Pause pause)
    : m_screen(std::move(screen)), m_pause(std::move(pause))
{
    m_windows[SlotPosition(MainSlot)] = mainWindow;
    m_marks[SlotPosition(MainSlot)] = true;
    for (int i = 0; i < BookmarkSlotCount; ++i)
        m_windows[SlotPosition(i)] = new TBookmarkForm(mainWindow, i == 0);
    m_windows[SlotPosition(SpeedSlot)] = new TSpeedForm(mainWindow);
}

TBaseForm *TWindowArranger::Window(int slot) const
{
    return IsSlot(slot) ? m_windows[SlotPosition(slot)].data() : nullptr;
}

TBookmarkForm *TWindowArranger::BookmarkWindow(int i) const
{
    return i >= 0 && i < BookmarkSlotCount ? static_cast<TBookmarkForm *>(Window(i)) : nullptr;
}

TSpeedForm *TWindowArranger::SpeedWindow() const
{
    return static_cast<TSpeedForm *>(Window(SpeedSlot));
}

bool TWindowArranger::IsShown(int i) const
{
    return i >= 0 && i < BookmarkSlotCount && m_marks[SlotPosition(i)];
}

void TWindowArranger::SetShown(int i, bool shown)
{
    if (i < 0 || i >= BookmarkSlotCount)
        return;
    m_marks[SlotPosition(i)] = shown;
    if (!shown && Window(i))
        Window(i)->SetFadeLevel(0);
}

void TWindowArranger::ClearAllShown()
{
    for (int i = 0; i < BookmarkSlotCount; ++i)
        SetShown(i, false);
}

bool TWindowArranger::SlotMarked(int slot) const
{
    return IsSlot(slot) && m_marks[SlotPosition(slot)];
}

void TWindowArranger::Arrange()
{
    std::array<TSlotWindow, SlotCount> windows;
    for (int slot = MainSlot; slot <= SpeedSlot; ++slot) {
        const int p = SlotPosition(slot);
        windows[p] = {m_marks[p] && m_windows[p], m_windows[p] ? m_windows[p]->size() : QSize()};
    }
    const TArrangement arrangement = ArrangeColumn(m_screen(), windows, Settings.NoSpeedWnd);
    m_dockLeft = arrangement.DockLeft;
    m_dockTop = arrangement.DockTop;
    for (int slot = MainSlot; slot <= SpeedSlot; ++slot) {
        const int p = SlotPosition(slot);
        TBaseForm *window = m_windows[p];
        if (slot != MainSlot)
            m_marks[p] = arrangement.Marked[p];
        if (!window)
            continue;
        if (arrangement.Marked[p])
            window->move(arrangement.TopLeft[p]);
        else
            window->SetFadeLevel(0);
    }
}

void TWindowArranger::FadeWindow(int slot, bool show)
{
    TBaseForm *window = Window(slot);
    if (!window)
        return;
    const std::vector<int> levels = FadeLevels(window->isVisible(), show);
    if (levels.size() == 1) {
        window->SetFadeLevel(levels.front());
        return;
    }
    for (const int level : levels) {
        window->SetFadeLevel(level);
        window->repaint();
        m_pause(FadePauseMs);
    }
}

void TWindowArranger::ShowAll()
{
    Arrange();
    for (int slot = SpeedSlot; slot >= MainSlot; --slot) {
        if (SlotMarked(slot))
            FadeWindow(slot, true);
    }
}

void TWindowArranger::HideAll()
{
    for (int level = TBaseForm::MaxFadeLevel; level >= 0; --level) {
        for (int slot = SpeedSlot; slot >= MainSlot; --slot) {
            TBaseForm *window = Window(slot);
            if (!SlotMarked(slot) || !window)
                continue;
            window->SetFadeLevel(level);
            window->repaint();
        }
        m_pause(FadePauseMs);
    }
}

int TWindowArranger::SlotOf(const TBaseForm *window) const
{
    for (int i = 0; i < BookmarkSlotCount; ++i) {
        if (window && Window(i) == window)
            return i;
    }
    return -1;
}

bool TWindowArranger::AnyOtherBookmarkMarked(int slot) const
{
    for (int i = 0; i < BookmarkSlotCount; ++i) {
        if (i != slot && IsShown(i))
            return true;
    }
    return false;
}

void TWindowArranger::RemoveWindow(const TBaseForm *window)
{
    const int slot = SlotOf(window);
    if (slot < 0)
        return;
    if (AnyOtherBookmarkMarked(slot)) {
        FadeWindow(slot, false);
        SlideTowardsCorner(slot, window->height());
    } else {
        HideAll();
    }
    m_marks[SlotPosition(slot)] = false;
    Arrange();
}

// The windows farther from the corner than the removed one move into its place.
void TWindowArranger::SlideTowardsCorner(int beforeSlot, int gap)
{
    const int direction = m_dockTop ? -1 : 1;
    for (const int step : SlideSteps(gap)) {
        for (int slot = MainSlot; slot < beforeSlot; ++slot) {
            TBaseForm *window = Window(slot);
            if (!SlotMarked(slot) || !window)
                continue;
            window->move(window->x(), window->y() + direction * step);
            window->repaint();
        }
        m_pause(SlidePauseMs);
    }
}
