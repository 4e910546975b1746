#include "TerminalProgress.h"

#include "Text.h"
#include "WorkCount.h"

#include <QLocale>

#include <chrono>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Quick work finishes without a line flashing by.
constexpr auto quiet = 1s;
constexpr auto redraw = 200ms;

void writeAll(const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(STDERR_FILENO, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
        if (wrote <= 0)
            return;
        done += wrote;
    }
}

int columns()
{
    winsize size{};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

} // namespace

TerminalProgress::TerminalProgress(bool json, const QString &shownStage, Work kind)
    : stage(shownStage), work(kind)
{
    if (json || !isatty(STDERR_FILENO))
        return;
    Engine::startCounting();
    thread = std::thread([this] { run(); });
}

TerminalProgress::~TerminalProgress()
{
    if (!thread.joinable())
        return;
    {
        const std::lock_guard held(lock);
        ending = true;
    }
    wake.notify_all();
    thread.join();
    clear();
}

void TerminalProgress::setStage(const QString &shownStage, Work kind)
{
    const std::lock_guard held(lock);
    stage = shownStage;
    work = kind;
}

void TerminalProgress::run()
{
    std::unique_lock held(lock);
    if (wake.wait_for(held, quiet, [this] { return ending; }))
        return;
    while (!ending) {
        draw();
        wake.wait_for(held, redraw, [this] { return ending; });
    }
}

// Called with the lock held.
void TerminalProgress::draw()
{
    if (stage.isEmpty()) {
        clear();
        return;
    }
    const Engine::WorkCount count = Engine::workCount();
    const QLocale locale;
    const bool counted =
        work == Work::measuring ? count.measuredEntries > 0 : count.removedEntries > 0;
    // An owner's command removes what it removes itself: its stage alone, without a zero count.
    QString line =
        !counted ? stage + QStringLiteral("…")
        : work == Work::measuring
            ? bilingual(QStringLiteral("%1… %2 entri, %3"), QStringLiteral("%1… %2 entries, %3"))
                  .arg(stage, locale.toString(count.measuredEntries), fmt(count.measuredBytes))
            : bilingual(QStringLiteral("%1… %2 dihapus, %3 dibebaskan"),
                        QStringLiteral("%1… %2 removed, %3 freed"))
                  .arg(stage, locale.toString(count.removedEntries), fmt(count.removedBytes));
    // A line longer than the terminal would wrap, and \r would no longer reach its start.
    line.truncate(columns() - 1);
    writeAll("\r\033[K" + line.toLocal8Bit());
    drawn = true;
}

void TerminalProgress::clear()
{
    if (drawn)
        writeAll("\r\033[K");
    drawn = false;
}
