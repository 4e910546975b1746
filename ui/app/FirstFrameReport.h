#pragma once

class Model;
class QQuickWindow;

// For the benchmark: with AMPA_REPORT_FIRST_FRAME set, prints "first-frame" to stdout when the
// main window has shown a frame with its content complete (the free space known, the layout and
// its sidebar placed with the pane it opens on), and "first-scan" when the first scan has ended.
// Without the variable it does nothing. The window and the model outlive the report.
namespace FirstFrameReport {

void attach(QQuickWindow *window, const Model &model);

} // namespace FirstFrameReport
