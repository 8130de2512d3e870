#include "platform/window/wx/gui_queue.h"

#include <chrono>

namespace wxwin {
namespace {

// A drain gives the loop back after this long so that a flood of posts does not starve
// painting and timers.
constexpr auto kDrainBudget = std::chrono::milliseconds(25);

} // namespace

GuiQueue::GuiQueue() : m_guiThread(std::this_thread::get_id()) {}

GuiQueue::~GuiQueue() {
    Close();
}

void GuiQueue::Post(std::function<void()> fn) {
    if (OnGuiThread()) {
        if (IsClosed()) {
            return;
        }
        DrainControlCalls();
        fn();
        return;
    }
    auto item = std::make_shared<Item>();
    item->run = std::move(fn);
    Push(item);
}

void GuiQueue::PostLatest(const void* key, std::function<void()> fn) {
    if (OnGuiThread()) {
        Post(std::move(fn));
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed) {
        return;
    }
    auto open = m_open.find(key);
    if (open != m_open.end()) {
        open->second->run = std::move(fn);
        return;
    }
    auto item = std::make_shared<Item>();
    item->run = std::move(fn);
    item->key = key;
    m_items.push_back(item);
    m_open[key] = item;
    WakeLocked();
}

void GuiQueue::PostDeferred(std::function<void()> fn) {
    auto item = std::make_shared<Item>();
    item->run = std::move(fn);
    item->deferred = true;
    Push(item);
}

bool GuiQueue::Push(std::shared_ptr<Item> item) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed) {
        return false;
    }
    // Anything queued behind a coalescible call fixes that call's place and value.
    m_open.clear();
    m_items.push_back(std::move(item));
    WakeLocked();
    return true;
}

void GuiQueue::WakeLocked() {
    // Under the lock, so that Close() knows no wake-up is sent after it.
    if (!m_wakePending) {
        m_wakePending = true;
        m_waker.CallAfter([this] { DrainFromLoop(); });
    }
}

std::shared_ptr<GuiQueue::Item> GuiQueue::PopFront(bool allowDeferred) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed || m_items.empty() || (!allowDeferred && m_items.front()->deferred)) {
        return nullptr;
    }
    auto item = m_items.front();
    m_items.pop_front();
    if (item->key != nullptr) {
        auto open = m_open.find(item->key);
        if (open != m_open.end() && open->second == item) {
            m_open.erase(open);
        }
    }
    return item;
}

void GuiQueue::DrainFromLoop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wakePending = false;
    }
    const auto start = std::chrono::steady_clock::now();
    // One item at a time outside the lock: an item that opens a modal box lets the nested
    // loop carry on with the items behind it, still in order.
    while (auto item = PopFront(true)) {
        item->run();
        if (std::chrono::steady_clock::now() - start > kDrainBudget) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_items.empty() && !m_closed) {
                WakeLocked();
            }
            return;
        }
    }
}

void GuiQueue::DrainControlCalls() {
    while (auto item = PopFront(false)) {
        item->run();
    }
}

void GuiQueue::DrainAll() {
    while (auto item = PopFront(true)) {
        item->run();
    }
}

void GuiQueue::Close() {
    std::deque<std::shared_ptr<Item>> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_open.clear();
        dropped.swap(m_items);
    }
    for (auto& item : dropped) {
        if (item->abandon) {
            item->abandon();
        }
    }
}

bool GuiQueue::IsClosed() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closed;
}

std::size_t GuiQueue::PendingCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_items.size();
}

} // namespace wxwin
