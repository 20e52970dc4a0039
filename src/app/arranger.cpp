#include "arranger.h"

#include "bookmarkform.h"
#include "config/settings.h"
#include "speedform.h"

#include <QGuiApplication>

#include <algorithm>
#include <iterator>

namespace {
constexpr int fadePauseMs = 5;
constexpr int slidePauseMs = 1;
constexpr int farewellMs = 3000;
} // namespace

WindowArranger::WindowArranger(BaseForm *mainWindow, ScreenSource screen, PauseObserver pauses)
    : m_screen(std::move(screen)), m_pauses(std::move(pauses))
{
    m_windows[slotPosition(mainSlot)] = mainWindow;
    m_marks[slotPosition(mainSlot)] = true;
    for (int i = 0; i < bookmarkSlotCount; ++i) {
        auto *window = new BookmarkForm(mainWindow, i == 0);
        m_windows[slotPosition(i)] = window;
        QObject::connect(window, &BookmarkForm::focusStepRequested, window,
                         [this, window](int step) { focusBookmark(window, step); });
    }
    m_windows[slotPosition(speedSlot)] = new SpeedForm(mainWindow);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { play(); });
}

BaseForm *WindowArranger::windowAt(int slot) const
{
    return isSlot(slot) ? m_windows[slotPosition(slot)].data() : nullptr;
}

BookmarkForm *WindowArranger::bookmarkWindow(int i) const
{
    return i >= 0 && i < bookmarkSlotCount ? static_cast<BookmarkForm *>(windowAt(i)) : nullptr;
}

SpeedForm *WindowArranger::speedWindow() const
{
    return static_cast<SpeedForm *>(windowAt(speedSlot));
}

std::vector<BookmarkForm *> WindowArranger::shownBookmarks() const
{
    std::vector<BookmarkForm *> shown;
    for (int i = 0; i < bookmarkSlotCount; ++i)
        if (BookmarkForm *window = bookmarkWindow(i);
            window && isShown(i) && window->isEnabled() && window->isShowing())
            shown.push_back(window);
    std::ranges::sort(shown, {}, [](const BookmarkForm *window) { return window->y(); });
    return shown;
}

void WindowArranger::focusBookmark(const BookmarkForm *from, int step)
{
    const std::vector<BookmarkForm *> shown = shownBookmarks();
    const auto at = std::ranges::find(shown, from);
    const auto size = std::ssize(shown);
    focusShown(at == shown.end() ? 0 : (std::distance(shown.begin(), at) + step + size) % size);
}

void WindowArranger::focusShown(std::ptrdiff_t position)
{
    const std::vector<BookmarkForm *> shown = shownBookmarks();
    if (shown.empty())
        return;
    for (BookmarkForm *window : shown)
        window->allowFocus();
    BookmarkForm *target =
        shown[size_t(qBound<std::ptrdiff_t>(0, position, std::ssize(shown) - 1))];
    target->activateWindow();
    target->setFocus(Qt::ActiveWindowFocusReason);
    m_keyboard = true;
}

bool WindowArranger::isShown(int i) const
{
    return i >= 0 && i < bookmarkSlotCount && m_marks[slotPosition(i)];
}

void WindowArranger::setShown(int i, bool shown)
{
    if (i < 0 || i >= bookmarkSlotCount)
        return;
    m_marks[slotPosition(i)] = shown;
    if (!shown && windowAt(i))
        windowAt(i)->setFadeLevel(0);
}

void WindowArranger::clearAllShown()
{
    for (int i = 0; i < bookmarkSlotCount; ++i)
        setShown(i, false);
}

bool WindowArranger::slotMarked(int slot) const
{
    return isSlot(slot) && m_marks[slotPosition(slot)];
}

void WindowArranger::placeMainAlone()
{
    BaseForm *main = windowAt(mainSlot);
    if (!main)
        return;
    std::array<SlotWindow, slotCount> windows;
    windows[slotPosition(mainSlot)] = {true, main->size()};
    main->move(arrangeColumn(m_screen(), windows, true).topLeft[slotPosition(mainSlot)]);
}

QRect WindowArranger::columnArea() const
{
    QRect area;
    for (int slot = mainSlot; slot <= speedSlot; ++slot) {
        const BaseForm *window = windowAt(slot);
        if (window && window->isShowing())
            area |= window->geometry();
    }
    return area;
}

void WindowArranger::arrange()
{
    std::array<SlotWindow, slotCount> windows;
    for (int slot = mainSlot; slot <= speedSlot; ++slot) {
        const int p = slotPosition(slot);
        windows[p] = {m_marks[p] && m_windows[p], m_windows[p] ? m_windows[p]->size() : QSize()};
    }
    const Arrangement arrangement = arrangeColumn(m_screen(), windows, settings.noSpeedWnd);
    m_dockLeft = arrangement.dockLeft;
    m_dockTop = arrangement.dockTop;
    for (int slot = mainSlot; slot <= speedSlot; ++slot) {
        const int p = slotPosition(slot);
        BaseForm *window = m_windows[p];
        if (slot != mainSlot)
            m_marks[p] = arrangement.marked[p];
        if (!window)
            continue;
        if (arrangement.marked[p])
            window->move(arrangement.topLeft[p]);
        else
            window->setFadeLevel(0);
    }
}

void WindowArranger::fadeWindow(int slot, bool show)
{
    whenStill([this, slot, show] { queueFade(slot, show); });
}

void WindowArranger::showAll()
{
    whenStill([this] {
        arrange();
        for (int slot = speedSlot; slot >= mainSlot; --slot) {
            if (slotMarked(slot))
                queueFade(slot, true);
        }
    });
}

void WindowArranger::hideAll()
{
    whenStill([this] { queueHideAll(); });
}

void WindowArranger::removeWindow(const BaseForm *window)
{
    const int slot = slotOf(window);
    if (slot < 0)
        return;
    // With the keyboard in the column it goes to the window taking this one's place; a window
    // that goes while the user types elsewhere (its file changed) takes nothing.
    const bool keyboard = QGuiApplication::applicationState() == Qt::ApplicationActive;
    whenStill([this, slot, keyboard] {
        const std::vector<BookmarkForm *> shown = shownBookmarks();
        const auto position =
            std::distance(shown.begin(), std::ranges::find(shown, windowAt(slot)));
        if (anyOtherBookmarkMarked(slot)) {
            queueFade(slot, false);
            queueSlide(slot, windowAt(slot) ? windowAt(slot)->height() : 0);
        } else {
            queueHideAll();
        }
        queue(
            [this, slot, position, keyboard] {
                m_marks[slotPosition(slot)] = false;
                arrange();
                if (m_keyboard && keyboard)
                    focusShown(position);
            },
            0);
    });
}

void WindowArranger::farewell(const BaseForm *window, std::function<void()> sayGoodbye)
{
    const int slot = slotOf(window);
    whenStill([this, slot, sayGoodbye = std::move(sayGoodbye)] {
        queueHide([slot](int other) { return other == slot || other == speedSlot; });
        queue(
            [this, slot, sayGoodbye] {
                if (slot >= 0)
                    m_marks[slotPosition(slot)] = false;
                sayGoodbye();
                arrange();
            },
            farewellMs);
        queueHideAll();
    });
}

void WindowArranger::whenStill(std::function<void()> work)
{
    if (isMoving()) {
        queue(std::move(work), 0);
        return;
    }
    work();
    play();
}

void WindowArranger::stop()
{
    m_steps.clear();
    m_timer.stop();
    m_stopped = true;
}

int WindowArranger::slotOf(const BaseForm *window) const
{
    for (int i = 0; i < bookmarkSlotCount; ++i) {
        if (window && windowAt(i) == window)
            return i;
    }
    return -1;
}

bool WindowArranger::anyOtherBookmarkMarked(int slot) const
{
    for (int i = 0; i < bookmarkSlotCount; ++i) {
        if (i != slot && isShown(i))
            return true;
    }
    return false;
}

void WindowArranger::queueFade(int slot, bool show)
{
    BaseForm *window = windowAt(slot);
    if (!window)
        return;
    const std::vector<int> levels = fadeLevels(window->isVisible(), show);
    if (levels.size() == 1) {
        window->setFadeLevel(levels.front());
        return;
    }
    for (const int level : levels)
        queueLevel(window, level);
}

void WindowArranger::queueHideAll()
{
    m_keyboard = false;
    queueHide([](int) { return true; });
}

// Only what is showing fades, each window from its own level; the others keep theirs.
void WindowArranger::queueHide(const std::function<bool(int slot)> &which)
{
    std::vector<std::pair<QPointer<BaseForm>, int>> fading;
    int top = 0;
    for (int slot = speedSlot; slot >= mainSlot; --slot) {
        BaseForm *window = windowAt(slot);
        if (which(slot) && slotMarked(slot) && window && window->isShowing()) {
            fading.emplace_back(window, window->fadeLevel());
            top = std::max(top, window->fadeLevel());
        }
    }
    if (fading.empty())
        return;
    for (int level = top; level >= 0; --level) {
        queue(
            [fading, level] {
                for (const auto &[window, from] : fading) {
                    if (!window)
                        continue;
                    window->setFadeLevel(std::min(level, from));
                    window->repaint();
                }
            },
            fadePauseMs);
    }
}

// The windows farther from the corner than the removed one move into its place.
void WindowArranger::queueSlide(int beforeSlot, int gap)
{
    for (const int step : slideSteps(gap)) {
        queue(
            [this, beforeSlot, step] {
                const int direction = m_dockTop ? -1 : 1;
                for (int slot = mainSlot; slot < beforeSlot; ++slot) {
                    BaseForm *window = windowAt(slot);
                    if (!slotMarked(slot) || !window)
                        continue;
                    window->move(window->x(), window->y() + direction * step);
                    window->repaint();
                }
            },
            slidePauseMs);
    }
}

void WindowArranger::queueLevel(BaseForm *window, int level)
{
    queue(
        [window = QPointer<BaseForm>(window), level] {
            if (!window)
                return;
            window->setFadeLevel(level);
            window->repaint();
        },
        fadePauseMs);
}

void WindowArranger::queue(std::function<void()> run, int pauseMs)
{
    if (!m_stopped)
        m_steps.push_back({std::move(run), pauseMs});
}

// Takes the steps in order until one asks for a pause; the timer brings the next. Steps
// that a step queues itself come before the ones that were waiting behind it.
void WindowArranger::play()
{
    if (m_playing || m_stopped)
        return;
    m_playing = true;
    while (!m_steps.empty() && !m_timer.isActive()) {
        const Step step = std::move(m_steps.front());
        m_steps.pop_front();
        std::deque<Step> waiting;
        waiting.swap(m_steps);
        step.run();
        if (m_stopped)
            break;
        std::move(waiting.begin(), waiting.end(), std::back_inserter(m_steps));
        if (step.pauseMs > 0) {
            if (m_pauses)
                m_pauses(step.pauseMs);
            m_timer.start(step.pauseMs);
        }
    }
    m_playing = false;
}
