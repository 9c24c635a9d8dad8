#pragma once

#include <QSize>

namespace vendrel::gui {

class AnchorKeeper;
struct MainWidgets;

// The fixed arithmetic that places the controls at start-up, from the
// window's design width (already scaled). Returns the client size the window
// is shrink-wrapped to, 8 pixels wider than its visible controls.
QSize applyStartupLayout(MainWidgets& widgets, int windowWidth);

// Anchors the controls so that enlarging the window enlarges the hosts list.
void anchorControls(MainWidgets& widgets, AnchorKeeper& anchors);

// Widens the hosts list over the tool column, or narrows it back; flips the
// widen button's caption and keeps the button at the list's bottom right.
void toggleHostsListWidth(MainWidgets& widgets, int windowWidth);

} // namespace vendrel::gui
