#pragma once

class QPalette;

namespace vendrel::gui {

class HostsTableModel;
struct MainMenus;
struct MainWidgets;

// Whether the hosts file may be written, as its attributes said at the last load.
enum class HostsAccess { Writable, ReadOnly };

// What the window is busy with: nothing, a block-list download, or the text
// area in Memopad or Whitelist mode.
enum class WindowMode { Idle, Downloading, Memopad, Whitelist };

// The editor window's state: it alone decides which menus and controls are enabled.
struct WindowState {
    HostsAccess access = HostsAccess::Writable;
    WindowMode mode = WindowMode::Idle;
};

// Shows `state` in the window: every menu item and control the state governs
// is enabled exactly when both the access and the mode allow it, and the
// access decides the writable toggle's caption and colour and whether the
// hosts list is grey and editable. `windowColours` is the window's palette.
void showWindowState(const WindowState& state, const MainMenus& menus, const MainWidgets& widgets,
                     HostsTableModel& model, const QPalette& windowColours);

} // namespace vendrel::gui
