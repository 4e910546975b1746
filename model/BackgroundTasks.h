#pragma once

#include "Stop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>

#include <atomic>
#include <memory>

// Runs work off the main thread, on a pool of its own, and hands its result back to the main
// thread. The work never sees the owner; the result is delivered only while the owner lives.
// Destroying the owner asks the running work to stop (walks and removals end at their next
// entry, a child process is ended) and waits for it: nothing runs after the owner is gone.
class BackgroundTasks {
public:
    BackgroundTasks()
    {
        // The work waits on disks and child processes, not on the processor: a scan, a clean and
        // an advanced action run side by side whatever the number of cores.
        pool.setMaxThreadCount(8);
    }
    BackgroundTasks(const BackgroundTasks &) = delete;
    BackgroundTasks &operator=(const BackgroundTasks &) = delete;

    ~BackgroundTasks()
    {
        state->stop = true;
        pool.waitForDone();
    }

    // Runs `work()` on the pool, then `deliver(result)` on the main thread.
    template<typename Work, typename Deliver> void run(Work work, Deliver deliver)
    {
        pool.start([state = state, work = std::move(work), deliver = std::move(deliver)]() mutable {
            const Engine::StopScope scope(&state->stop);
            auto result = work();
            if (QCoreApplication *app = QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    app,
                    [state, result = std::move(result), deliver = std::move(deliver)]() mutable {
                        // On the main thread, where the owner is destroyed: no race with it.
                        if (!state->stop)
                            deliver(std::move(result));
                    },
                    Qt::QueuedConnection);
            }
        });
    }

    // A function the work may call from its thread to hand `show(values…)` to the main thread
    // while it runs (progress); like a result, delivered only while the owner lives.
    template<typename Show> auto reporter(Show show)
    {
        return [state = state, show = std::move(show)](auto... values) {
            if (QCoreApplication *app = QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    app,
                    [state, show, values...] {
                        if (!state->stop)
                            show(values...);
                    },
                    Qt::QueuedConnection);
            }
        };
    }

private:
    struct State {
        std::atomic<bool> stop = false;
    };
    std::shared_ptr<State> state = std::make_shared<State>();
    QThreadPool pool;
};
