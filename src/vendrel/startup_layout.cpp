#include "vendrel/startup_layout.h"

#include "vendrel/anchor_keeper.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_widgets.h"
#include "vendrel/status_progress_bar.h"

#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cmath>

namespace vendrel::gui {

namespace {

void placeWidenButton(MainWidgets& w)
{
    const QRect list = w.hostsList->geometry();
    w.widenButton->move(list.width() - 48, list.height() - 12);
}

QSize visibleControlsExtent(const MainWidgets& w)
{
    QRect extent;
    const std::initializer_list<const QWidget*> visible = {w.hostsList,   w.toolColumn,  w.progressBar,
                                                           w.widenButton, w.searchPanel, w.writableToggle};
    for (const QWidget* control : visible)
        extent = extent.united(control->geometry());
    return QSize(extent.right() + 1, extent.bottom() + 1);
}

} // namespace

QSize applyStartupLayout(MainWidgets& w, int windowWidth)
{
    HostsTableView* list = w.hostsList;
    list->move(8, 6);
    list->resize(static_cast<int>(std::lround(0.6 * windowWidth)) - 8, list->height());
    list->resize(list->width(), list->height() + 58);

    w.toolColumn->move(list->width() + 16, w.toolColumn->y());
    w.toolColumn->resize(w.toolColumn->width() + 8, list->height());

    w.progressBar->setGeometry(8, list->y() + list->height() + 14, list->width() - 12, w.progressBar->height());
    placeWidenButton(w);

    w.searchPanel->setGeometry(w.toolColumn->x() - 16, list->y() + list->height(), w.toolColumn->width(),
                               w.searchPanel->height());
    w.writableToggle->move(w.toolColumn->x() + 12, w.toolColumn->y() + 20);

    list->setColumnWidth(1, 500);
    const QSize extent = visibleControlsExtent(w);
    return QSize(extent.width() + 8, extent.height());
}

void anchorControls(MainWidgets& w, AnchorKeeper& anchors)
{
    using E = AnchorKeeper::Edge;
    anchors.anchor(w.toolColumn, E::Top | E::Right);
    anchors.anchor(w.hostsList, E::Left | E::Top | E::Right | E::Bottom);
    anchors.anchor(w.widenButton, E::Right | E::Bottom);
    anchors.anchor(w.writableToggle, E::Top | E::Right);
    anchors.anchor(w.progressBar, E::Left | E::Bottom);
    anchors.anchor(w.searchPanel, E::Left | E::Bottom);
    anchors.anchor(w.memopadText, E::Left | E::Top | E::Right | E::Bottom);
}

void toggleHostsListWidth(MainWidgets& w, int windowWidth)
{
    const int toolLeft = w.toolColumn->x();
    HostsTableView* list = w.hostsList;
    list->resize(list->width() > toolLeft + 40 ? toolLeft - 14 : windowWidth - 14, list->height());
    w.widenButton->setText(w.widenButton->text() == QLatin1String(">") ? QStringLiteral("<") : QStringLiteral(">"));
    placeWidenButton(w);
}

} // namespace vendrel::gui
