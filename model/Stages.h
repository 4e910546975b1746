#pragma once

#include "BackgroundTasks.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Steps that each measure in the background and publish on the main thread before the next one
// begins: the views fill stage by stage, and a stage never sees half of the one before.
class Stages {
public:
    // Adds a step: `work()` off the main thread, then `publish(result)` on it.
    template<typename Work, typename Publish> Stages &then(Work work, Publish publish)
    {
        steps.push_back([work = std::move(work), publish = std::move(publish)](
                            BackgroundTasks &tasks, const std::function<void()> &next) {
            tasks.run(work, [publish, next](auto result) {
                publish(std::move(result));
                next();
            });
        });
        return *this;
    }

    // Runs the steps in order, then `done` (on the main thread). Stopping the tasks ends the
    // chain where it is: no later step starts.
    void run(BackgroundTasks &tasks, std::function<void()> done)
    {
        runFrom(std::make_shared<const std::vector<Step>>(std::move(steps)), 0, tasks,
                std::move(done));
    }

private:
    using Step = std::function<void(BackgroundTasks &, const std::function<void()> &)>;

    static void runFrom(std::shared_ptr<const std::vector<Step>> all, std::size_t index,
                        BackgroundTasks &tasks, std::function<void()> done)
    {
        if (index == all->size()) {
            done();
            return;
        }
        const Step &step = (*all)[index];
        step(tasks, [all, index, &tasks, done = std::move(done)] {
            runFrom(all, index + 1, tasks, done);
        });
    }

    std::vector<Step> steps;
};
