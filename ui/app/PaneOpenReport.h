#pragma once

class Model;
class QQuickWindow;

// For the benchmark: with AMPA_REPORT_PANE_OPENING set, once the first scan has ended, opens
// each pane of the sidebar layout but the first in turn and prints "pane-frame KEY MS" for each:
// the milliseconds from asking for the pane to the first frame that shows it; then
// "panes-done". A pane that never shows prints "pane-frame KEY failed". Without the variable it
// does nothing. The window and the model outlive the report.
namespace PaneOpenReport {

void attach(QQuickWindow *window, Model &model);

} // namespace PaneOpenReport
