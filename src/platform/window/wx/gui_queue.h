// The one marshalling point between worker threads and the GUI thread: every control call of a
// window goes through its queue, so calls from any thread are carried out on the GUI thread in
// the order they were made.
#pragma once

#include <wx/event.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace wxwin {

class GuiQueue {
public:
    // The thread that constructs the queue is the GUI thread.
    GuiQueue();
    ~GuiQueue();
    GuiQueue(const GuiQueue&) = delete;
    GuiQueue& operator=(const GuiQueue&) = delete;

    bool OnGuiThread() const { return std::this_thread::get_id() == m_guiThread; }

    // A control call that returns nothing. On the GUI thread it runs at once, after the calls
    // that workers queued before it; from a worker it is queued and the worker goes on.
    void Post(std::function<void()> fn);
    // Like Post, but while the call still waits in the queue behind nothing but other such
    // calls, a newer call with the same key replaces it (progress and counters: latest wins).
    void PostLatest(const void* key, std::function<void()> fn);
    // Runs only from the event loop, never inside another control call (logic callbacks,
    // modal boxes asked for by a worker).
    void PostDeferred(std::function<void()> fn);

    // A call that returns a value. A worker waits for it; on the GUI thread it runs at once.
    // After Close() it returns `fallback` without running.
    template <class T> T Call(std::function<T()> fn, T fallback = T{}, bool deferred = false);

    // Drops everything still queued and releases waiting workers (their calls return the
    // fallback). Later calls are dropped.
    void Close();
    bool IsClosed() const;

    // Runs every queued call, deferred ones included (tests).
    void DrainAll();
    std::size_t PendingCount() const;

private:
    struct Item {
        std::function<void()> run;
        std::function<void()> abandon; // releases a waiting worker when the item is dropped
        bool deferred = false;
        const void* key = nullptr;
    };

    template <class T> struct Waiter {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::optional<T> value;
    };

    bool Push(std::shared_ptr<Item> item);
    void WakeLocked();
    void DrainFromLoop();
    // Runs queued items until the queue is empty or its head is deferred.
    void DrainControlCalls();
    std::shared_ptr<Item> PopFront(bool allowDeferred);

    const std::thread::id m_guiThread;
    mutable std::mutex m_mutex;
    std::deque<std::shared_ptr<Item>> m_items;
    // Coalescible items that no other call has been queued behind yet.
    std::map<const void*, std::shared_ptr<Item>> m_open;
    bool m_wakePending = false;
    bool m_closed = false;
    wxEvtHandler m_waker;
};

template <class T> T GuiQueue::Call(std::function<T()> fn, T fallback, bool deferred) {
    if (OnGuiThread()) {
        if (IsClosed()) {
            return fallback;
        }
        DrainControlCalls();
        return fn();
    }
    auto waiter = std::make_shared<Waiter<T>>();
    auto item = std::make_shared<Item>();
    item->deferred = deferred;
    item->run = [waiter, fn = std::move(fn)] {
        T value = fn();
        std::lock_guard<std::mutex> lock(waiter->mutex);
        waiter->value = std::move(value);
        waiter->finished = true;
        waiter->done.notify_all();
    };
    item->abandon = [waiter] {
        std::lock_guard<std::mutex> lock(waiter->mutex);
        waiter->finished = true;
        waiter->done.notify_all();
    };
    if (!Push(item)) {
        return fallback;
    }
    std::unique_lock<std::mutex> lock(waiter->mutex);
    waiter->done.wait(lock, [&] { return waiter->finished; });
    return waiter->value ? std::move(*waiter->value) : fallback;
}

} // namespace wxwin
