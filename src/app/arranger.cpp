#include "arranger.h"

#include "bookmarkform.h"
#include "config/settings.h"
#include "speedform.h"

#include <algorithm>
#include <iterator>

namespace {
constexpr int FadePauseMs = 5;
constexpr int SlidePauseMs = 1;
constexpr int FarewellMs = 3000;
} // namespace

TWindowArranger::TWindowArranger(TBaseForm *mainWindow, ScreenSource screen, PauseObserver pauses)
    : m_screen(std::move(screen)), m_pauses(std::move(pauses))
{
    m_windows[SlotPosition(MainSlot)] = mainWindow;
    m_marks[SlotPosition(MainSlot)] = true;
    for (int i = 0; i < BookmarkSlotCount; ++i)
        m_windows[SlotPosition(i)] = new TBookmarkForm(mainWindow, i == 0);
    m_windows[SlotPosition(SpeedSlot)] = new TSpeedForm(mainWindow);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Play(); });
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

void TWindowArranger::PlaceMainAlone()
{
    TBaseForm *main = Window(MainSlot);
    if (!main)
        return;
    std::array<TSlotWindow, SlotCount> windows;
    windows[SlotPosition(MainSlot)] = {true, main->size()};
    main->move(ArrangeColumn(m_screen(), windows, true).TopLeft[SlotPosition(MainSlot)]);
}

QRect TWindowArranger::ColumnArea() const
{
    QRect area;
    for (int slot = MainSlot; slot <= SpeedSlot; ++slot) {
        const TBaseForm *window = Window(slot);
        if (window && window->IsShowing())
            area |= window->geometry();
    }
    return area;
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
    WhenStill([this, slot, show] { QueueFade(slot, show); });
}

void TWindowArranger::ShowAll()
{
    WhenStill([this] {
        Arrange();
        for (int slot = SpeedSlot; slot >= MainSlot; --slot) {
            if (SlotMarked(slot))
                QueueFade(slot, true);
        }
    });
}

void TWindowArranger::HideAll()
{
    WhenStill([this] { QueueHideAll(); });
}

void TWindowArranger::RemoveWindow(const TBaseForm *window)
{
    const int slot = SlotOf(window);
    if (slot < 0)
        return;
    WhenStill([this, slot] {
        if (AnyOtherBookmarkMarked(slot)) {
            QueueFade(slot, false);
            QueueSlide(slot, Window(slot) ? Window(slot)->height() : 0);
        } else {
            QueueHideAll();
        }
        Queue(
            [this, slot] {
                m_marks[SlotPosition(slot)] = false;
                Arrange();
            },
            0);
    });
}

void TWindowArranger::Farewell(const TBaseForm *window, std::function<void()> sayGoodbye)
{
    const int slot = SlotOf(window);
    WhenStill([this, slot, sayGoodbye = std::move(sayGoodbye)] {
        QueueHide([slot](int other) { return other == slot || other == SpeedSlot; });
        Queue(
            [this, slot, sayGoodbye] {
                if (slot >= 0)
                    m_marks[SlotPosition(slot)] = false;
                sayGoodbye();
                Arrange();
            },
            FarewellMs);
        QueueHideAll();
    });
}

void TWindowArranger::WhenStill(std::function<void()> work)
{
    if (IsMoving()) {
        Queue(std::move(work), 0);
        return;
    }
    work();
    Play();
}

void TWindowArranger::Stop()
{
    m_steps.clear();
    m_timer.stop();
    m_stopped = true;
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

void TWindowArranger::QueueFade(int slot, bool show)
{
    TBaseForm *window = Window(slot);
    if (!window)
        return;
    const std::vector<int> levels = FadeLevels(window->isVisible(), show);
    if (levels.size() == 1) {
        window->SetFadeLevel(levels.front());
        return;
    }
    for (const int level : levels)
        QueueLevel(window, level);
}

void TWindowArranger::QueueHideAll()
{
    QueueHide([](int) { return true; });
}

// Only what is showing fades, each window from its own level; the others keep theirs.
void TWindowArranger::QueueHide(const std::function<bool(int slot)> &which)
{
    std::vector<std::pair<QPointer<TBaseForm>, int>> fading;
    int top = 0;
    for (int slot = SpeedSlot; slot >= MainSlot; --slot) {
        TBaseForm *window = Window(slot);
        if (which(slot) && SlotMarked(slot) && window && window->IsShowing()) {
            fading.emplace_back(window, window->FadeLevel());
            top = std::max(top, window->FadeLevel());
        }
    }
    if (fading.empty())
        return;
    for (int level = top; level >= 0; --level) {
        Queue(
            [fading, level] {
                for (const auto &[window, from] : fading) {
                    if (!window)
                        continue;
                    window->SetFadeLevel(std::min(level, from));
                    window->repaint();
                }
            },
            FadePauseMs);
    }
}

// The windows farther from the corner than the removed one move into its place.
void TWindowArranger::QueueSlide(int beforeSlot, int gap)
{
    for (const int step : SlideSteps(gap)) {
        Queue(
            [this, beforeSlot, step] {
                const int direction = m_dockTop ? -1 : 1;
                for (int slot = MainSlot; slot < beforeSlot; ++slot) {
                    TBaseForm *window = Window(slot);
                    if (!SlotMarked(slot) || !window)
                        continue;
                    window->move(window->x(), window->y() + direction * step);
                    window->repaint();
                }
            },
            SlidePauseMs);
    }
}

void TWindowArranger::QueueLevel(TBaseForm *window, int level)
{
    Queue(
        [window = QPointer<TBaseForm>(window), level] {
            if (!window)
                return;
            window->SetFadeLevel(level);
            window->repaint();
        },
        FadePauseMs);
}

void TWindowArranger::Queue(std::function<void()> run, int pauseMs)
{
    if (!m_stopped)
        m_steps.push_back({std::move(run), pauseMs});
}

// Takes the steps in order until one asks for a pause; the timer brings the next. Steps
// that a step queues itself come before the ones that were waiting behind it.
void TWindowArranger::Play()
{
    if (m_playing || m_stopped)
        return;
    m_playing = true;
    while (!m_steps.empty() && !m_timer.isActive()) {
        const TStep step = std::move(m_steps.front());
        m_steps.pop_front();
        std::deque<TStep> waiting;
        waiting.swap(m_steps);
        step.Run();
        if (m_stopped)
            break;
        std::move(waiting.begin(), waiting.end(), std::back_inserter(m_steps));
        if (step.PauseMs > 0) {
            if (m_pauses)
                m_pauses(step.PauseMs);
            m_timer.start(step.PauseMs);
        }
    }
    m_playing = false;
}
