#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// One progress line on standard error while long work runs: what has been measured or removed
// so far, in entries and bytes (the engine's WorkCount). It appears only when standard error is
// a terminal and the output is not JSON, and only once the work has lasted about a second; it
// is rewritten in place and cleared when the object goes, so what follows starts on a clean line
// and piped or redirected output never holds any of it.
class TerminalProgress {
public:
    enum class Work { measuring, removing };

    TerminalProgress(bool json, const QString &stage, Work work = Work::measuring);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    // What the line says from now on; an empty stage hides it until the next one.
    void setStage(const QString &stage, Work work);

private:
    void run();
    void draw();
    void clear();

    std::mutex lock;
    std::condition_variable wake;
    QString stage;
    Work work;
    bool ending = false;
    bool drawn = false;
    std::thread thread; // none when nothing is shown
};

// `work()`'s result, with a progress line while it runs.
template<typename Work>
auto withProgress(bool json, const QString &stage, Work work,
                  TerminalProgress::Work kind = TerminalProgress::Work::measuring)
{
    const TerminalProgress progress(json, stage, kind);
    return work();
}
