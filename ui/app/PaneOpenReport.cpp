#include "PaneOpenReport.h"

#include "Model.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>

namespace PaneOpenReport {

namespace {

using Clock = std::chrono::steady_clock;

// In the sidebar's order; the quick clean is the first frame's own pane.
constexpr std::array keys{"ruang",     "lanjutan", "pengembang", "proyek",
                          "downloads", "aplikasi", "log",        "pengaturan"};
// A pane's work may settle on the frames after the one that shows it: the next is asked for
// once the program is quiet again, as a person's next click would find it.
constexpr int pauseMs = 400;
constexpr int giveUpMs = 10000;

// Touched on the GUI thread and, for the frame, on the render thread when there is one.
struct Tour {
    std::atomic<int> at = -1;          // the pane asked for, -1 before and after the tour
    std::atomic<bool> shown = false;   // its frame's content is synchronised
    std::atomic<Clock::rep> asked = 0; // when it was asked for
    int started = -1;                  // GUI thread: the last pane asked for
};

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
}

QString shownPane(QQuickWindow *window)
{
    const auto *layout = window->findChild<QQuickItem *>("layout");
    const auto *content = layout ? layout->property("item").value<QQuickItem *>() : nullptr;
    return content ? content->property("shownKey").toString() : QString();
}

void next(QQuickWindow *window, Model &model, const std::shared_ptr<Tour> &tour)
{
    const int at = tour->started + 1;
    if (at >= int(keys.size())) {
        tour->at = -1;
        say("panes-done\n");
        return;
    }
    tour->started = at;
    tour->shown = false;
    tour->asked = Clock::now().time_since_epoch().count();
    tour->at = at;
    model.setPaneKey(QString::fromLatin1(keys[at]));
    window->requestUpdate();
    QTimer::singleShot(giveUpMs, window, [window, &model, tour, at] {
        if (tour->at == at && tour->started == at) {
            tour->at = -1;
            say(QByteArray("pane-frame ") + keys[at] + " failed\n");
            next(window, model, tour);
        }
    });
}

} // namespace

void attach(QQuickWindow *window, Model &model)
{
    if (!window || !qEnvironmentVariableIsSet("AMPA_REPORT_PANE_OPENING"))
        return;
    auto tour = std::make_shared<Tour>();
    QObject::connect(
        window, &QQuickWindow::afterAnimating, window,
        [window, tour] {
            const int at = tour->at;
            if (at >= 0 && !tour->shown && shownPane(window) == QLatin1String(keys[at]))
                tour->shown = true;
        },
        Qt::DirectConnection);
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [window, &model, tour] {
            int at = tour->at;
            const int asked = at;
            if (at < 0 || !tour->shown || !tour->at.compare_exchange_strong(at, -1))
                return;
            at = asked;
            const auto elapsed = Clock::now() - Clock::time_point(Clock::duration(tour->asked));
            const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
            say(QByteArray("pane-frame ") + keys[at] + ' ' + QByteArray::number(ms, 'f', 1) + '\n');
            QMetaObject::invokeMethod(
                window,
                [window, &model, tour] {
                    QTimer::singleShot(pauseMs, window,
                                       [window, &model, tour] { next(window, model, tour); });
                },
                Qt::QueuedConnection);
        },
        Qt::DirectConnection);
    // After the first scan, with the pause a person would leave.
    auto begun = std::make_shared<bool>(false);
    auto begin = [window, &model, tour, begun] {
        if (*begun || model.scanning() || model.scanningAdv())
            return;
        *begun = true;
        QTimer::singleShot(pauseMs, window, [window, &model, tour] { next(window, model, tour); });
    };
    QObject::connect(&model, &Model::scanningAdvChanged, window, begin);
    begin();
}

} // namespace PaneOpenReport
