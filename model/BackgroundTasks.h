#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs work off the main thread, one thread per task, and hands its result back to the main
// thread. The work never sees the owner; the result is delivered only while the owner lives.
// Destroying the owner waits briefly for running work and then lets it finish on its own: a task
// that waits on a person (a password dialog) never holds up quitting.
class BackgroundTasks {
public:
    BackgroundTasks() = default;
    BackgroundTasks(const BackgroundTasks &) = delete;
    BackgroundTasks &operator=(const BackgroundTasks &) = delete;

    ~BackgroundTasks()
    {
        std::unique_lock lock(state->mutex);
        state->cancelled = true;
        state->idle.wait_for(lock, std::chrono::seconds(2), [this] { return state->running == 0; });
    }

    // Runs `work()` on a new thread, then `deliver(result)` on the main thread.
    template<typename Work, typename Deliver> void run(Work work, Deliver deliver)
    {
        {
            std::lock_guard lock(state->mutex);
            ++state->running;
        }
        std::thread([state = state, work = std::move(work),
                     deliver = std::move(deliver)]() mutable {
            auto result = work();
            if (QCoreApplication *app = QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    app,
                    [state, result = std::move(result), deliver = std::move(deliver)]() mutable {
                        // On the main thread, where the owner is destroyed: no race with it.
                        if (!state->cancelled)
                            deliver(std::move(result));
                    },
                    Qt::QueuedConnection);
            }
            std::lock_guard lock(state->mutex);
            --state->running;
            state->idle.notify_all();
        }).detach();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable idle;
        int running = 0;
        std::atomic<bool> cancelled = false;
    };
    std::shared_ptr<State> state = std::make_shared<State>();
};
