#include "FirstFrameReport.h"

#include "Model.h"
#include "Settings.h"

#include <QQuickItem>
#include <QQuickWindow>

#include <atomic>
#include <cstdio>
#include <memory>

namespace FirstFrameReport {

namespace {

void say(const char *what)
{
    std::fputs(what, stdout);
    std::fflush(stdout);
}

// Read on the GUI thread after the items are polished, before the frame is synchronised.
bool contentComplete(QQuickWindow *window, const Model &model)
{
    if (model.totalBytes() <= 0)
        return false;
    const auto *layout = window->findChild<QQuickItem *>("layout");
    const auto *content = layout ? layout->property("item").value<QQuickItem *>() : nullptr;
    if (!content || content->width() <= 0 || content->height() <= 0)
        return false;
    if (!Settings::instance().sidebar())
        return true;
    // The sidebar and the pane it opens on, made and placed.
    const auto *sidebar = content->findChild<QQuickItem *>("sidebar");
    return sidebar && sidebar->isVisible() && sidebar->width() > 0 && sidebar->height() > 0
           && content->property("shownKey").toString() == model.paneKey();
}

} // namespace

void attach(QQuickWindow *window, const Model &model)
{
    if (!window || !qEnvironmentVariableIsSet("AMPA_REPORT_FIRST_FRAME"))
        return;
    // The frame is swapped on the render thread when there is one.
    struct State {
        std::atomic<bool> complete = false;
        std::atomic<bool> reported = false;
    };
    auto state = std::make_shared<State>();
    QObject::connect(
        window, &QQuickWindow::afterAnimating, window,
        [window, &model, state] {
            if (!state->complete && contentComplete(window, model))
                state->complete = true;
        },
        Qt::DirectConnection);
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [state] {
            if (state->complete && !state->reported.exchange(true))
                say("first-frame\n");
        },
        Qt::DirectConnection);
    auto scanned = std::make_shared<bool>(false);
    auto scanEnded = [&model, scanned] {
        if (!*scanned && !model.scanning() && !model.scanningAdv()) {
            *scanned = true;
            say("first-scan\n");
        }
    };
    QObject::connect(&model, &Model::scanningAdvChanged, window, scanEnded);
    scanEnded(); // the demo never scans
}

} // namespace FirstFrameReport
