#include "vendrel/window_state.h"

#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QPalette>
#include <QPushButton>

#include <initializer_list>

namespace vendrel::gui {

namespace {

void enableAll(std::initializer_list<QAction*> actions, bool enabled)
{
    for (QAction* action : actions)
        action->setEnabled(enabled);
}

// A mode shuts the commands that would change the hosts file by another
// route; each mode keeps its own menu and the items that lead out of it.
void enableMenus(const WindowState& state, const MainMenus& m)
{
    const bool writable = state.access == HostsAccess::Writable;
    const auto in = [&state](WindowMode mode) { return state.mode == mode; };
    const auto menuOfMode = [&](WindowMode mode) { return writable && (in(WindowMode::Idle) || in(mode)); };

    enableAll({m.appendFile, m.replaceFile, m.mergeFile, m.recovery->menuAction(), m.edit->menuAction()},
              writable && in(WindowMode::Idle));
    m.memopad->menuAction()->setEnabled(menuOfMode(WindowMode::Memopad));
    m.download->menuAction()->setEnabled(menuOfMode(WindowMode::Downloading));
    m.whitelist->menuAction()->setEnabled(menuOfMode(WindowMode::Whitelist));

    m.openInMemopad->setEnabled(!in(WindowMode::Memopad));
    enableAll({m.saveSubmenu->menuAction(), m.exitMemopad}, in(WindowMode::Memopad));
    enableAll({m.mvpsSubmenu->menuAction(), m.hphostsSubmenu->menuAction(), m.showSources, m.updateAllSources},
              !in(WindowMode::Downloading));
    m.cancelDownload->setEnabled(in(WindowMode::Downloading));
    enableAll({m.removeWhitelistItems, m.addWhitelistItems, m.viewEditWhitelist}, !in(WindowMode::Whitelist));
    enableAll({m.saveAndExitWhitelist, m.exitWhitelist}, in(WindowMode::Whitelist));
}

void showAccess(HostsAccess access, const MainWidgets& w, HostsTableModel& model, const QPalette& windowColours)
{
    const bool writable = access == HostsAccess::Writable;
    const std::initializer_list<QWidget*> editingControls = {w.editingTools, w.backupAndRestore, w.fileHandling,
                                                             w.widenButton};
    for (QWidget* control : editingControls)
        control->setEnabled(writable);
    w.hostsList->setEditingAllowed(writable);
    model.setEditable(writable);

    QPalette listPalette = w.hostsList->palette();
    listPalette.setColor(QPalette::Base, windowColours.color(writable ? QPalette::Base : QPalette::Button));
    w.hostsList->setPalette(listPalette);

    w.writableToggle->setText(writable ? QStringLiteral("Make Hosts ReadOnly?")
                                       : QStringLiteral("Make Hosts Writable?"));
    QPalette togglePalette = w.writableToggle->palette();
    togglePalette.setColor(QPalette::ButtonText,
                           writable ? windowColours.color(QPalette::WindowText) : QColor(Qt::red));
    w.writableToggle->setPalette(togglePalette);
}

} // namespace

void showWindowState(const WindowState& state, const MainMenus& menus, const MainWidgets& widgets,
                     HostsTableModel& model, const QPalette& windowColours)
{
    enableMenus(state, menus);
    showAccess(state.access, widgets, model, windowColours);
}

} // namespace vendrel::gui
