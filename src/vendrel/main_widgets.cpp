#include "vendrel/main_widgets.h"

#include "vendrel/design_scale.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/status_progress_bar.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vendrel::gui {

namespace {

const char* const panelStyle = "QGroupBox { border: 1px solid blue; margin-top: 6px; }"
                               "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 2px; }";

// A captioned panel with a blue frame and a bold caption. Its controls get
// the window's regular font back, unless they were given one of their own.
QGroupBox* panel(QWidget* parent, const char* caption, const QRect& geometry, const DesignScale& s)
{
    auto* box = new QGroupBox(QString::fromLatin1(caption), parent);
    box->setStyleSheet(QString::fromLatin1(panelStyle));
    box->setFont(s.arial(11, true));
    box->setGeometry(geometry);
    return box;
}

void giveControlsTheRegularFont(QGroupBox* box, const DesignScale& s)
{
    for (QWidget* control : box->findChildren<QWidget*>())
        if (!control->testAttribute(Qt::WA_SetFont))
            control->setFont(s.arial(11));
}

QPushButton* button(QWidget* parent, const QString& caption, const QRect& geometry)
{
    auto* result = new QPushButton(caption, parent);
    result->setGeometry(geometry);
    return result;
}

// Puts a control a command family made into its panel.
void place(QWidget* control, QWidget* panel, const QRect& geometry)
{
    control->setParent(panel);
    control->setGeometry(geometry);
}

void buildEditingTools(MainWidgets& w, const DesignScale& s)
{
    w.editingTools = panel(w.toolColumn, "Editing Tools", s.rect(0, 0, 207, 183), s);
    w.addLineBox = new QLineEdit(w.editingTools);
    w.addLineBox->setGeometry(s.rect(12, 48, 161, 22));
}

void placeEditingTools(MainWidgets& w, const DesignScale& s)
{
    place(w.addLineButton, w.editingTools, s.rect(172, 50, 23, 19));
    w.addLineButton->setFont(s.arial(20, true));
    place(w.deleteSelectedLine, w.editingTools, s.rect(12, 76, 183, 23));
    place(w.deleteLineAddToWhitelist, w.editingTools, s.rect(12, 104, 183, 23));
    place(w.commentCheckBox, w.editingTools, s.rect(12, 130, 177, 21));
    w.commentCheckBox->setFocusPolicy(Qt::ClickFocus);
    place(w.removeAllBlocking, w.editingTools, s.rect(12, 154, 183, 23));
    giveControlsTheRegularFont(w.editingTools, s);
}

void placeBackupAndRestore(MainWidgets& w, const DesignScale& s)
{
    place(w.createBackup, w.backupAndRestore, s.rect(14, 18, 89, 25));
    place(w.restoreBackup, w.backupAndRestore, s.rect(14, 48, 89, 25));
    place(w.restoreMicrosoftHosts, w.backupAndRestore, s.rect(114, 18, 79, 55));
    giveControlsTheRegularFont(w.backupAndRestore, s);
}

void buildFileHandling(MainWidgets& w, const DesignScale& s)
{
    w.fileHandling = panel(w.toolColumn, "File Handling", s.rect(0, 268, 207, 79), s);
    w.fileOperationFrame = new QFrame(w.fileHandling);
    w.fileOperationFrame->setFrameShape(QFrame::Box);
    w.fileOperationFrame->setGeometry(s.rect(16, 16, 83, 59));
}

void placeFileHandling(MainWidgets& w, const DesignScale& s)
{
    // Radio positions are given in the panel; the frame only draws around them.
    place(w.appendChoice, w.fileHandling, s.rect(24, 24, 70, 16));
    place(w.replaceChoice, w.fileHandling, s.rect(24, 40, 70, 16));
    place(w.mergeChoice, w.fileHandling, s.rect(24, 56, 70, 16));
    place(w.selectFile, w.fileHandling, s.rect(110, 28, 75, 31));
    giveControlsTheRegularFont(w.fileHandling, s);
}

void buildToolColumn(QWidget* client, MainWidgets& w, const DesignScale& s)
{
    w.toolColumn = new QFrame(client);
    w.toolColumn->setObjectName(QStringLiteral("toolColumn"));
    w.toolColumn->setStyleSheet(QStringLiteral("#toolColumn { border-right: 1px solid palette(dark); }"));
    w.toolColumn->setGeometry(s.rect(296, 8, 208, 347));
    buildEditingTools(w, s);
    w.backupAndRestore = panel(w.toolColumn, "Backup and Restore", s.rect(0, 186, 207, 79), s);
    buildFileHandling(w, s);
}

void buildSearchPanel(QWidget* client, MainWidgets& w, const DesignScale& s)
{
    w.searchPanel = panel(client, "Search for String", s.rect(288, 358, 229, 50), s);
    w.searchBox = new QLineEdit(w.searchPanel);
    w.searchBox->setGeometry(s.rect(42, 16, 137, 21));
}

void placeSearchPanel(MainWidgets& w, const DesignScale& s)
{
    for (QPushButton* arrow : {w.searchBackward, w.searchForward})
        arrow->setFont(s.arial(16, true));
    place(w.searchBackward, w.searchPanel, s.rect(8, 16, 31, 21));
    place(w.searchForward, w.searchPanel, s.rect(182, 16, 31, 21));
    giveControlsTheRegularFont(w.searchPanel, s);
}

} // namespace

MainWidgets buildMainWidgets(QWidget* client, const DesignScale& s)
{
    MainWidgets w;
    w.progressBar = new StatusProgressBar(client);
    w.progressBar->setGeometry(s.rect(10, 372, 243, 24));
    w.progressBar->setFont(s.arial(11, true));
    w.progressBar->setText(QStringLiteral("Populating List - please wait"));

    buildToolColumn(client, w, s);

    w.writableToggle = button(client, QStringLiteral("-"), s.rect(308, 28, 183, 23));
    buildSearchPanel(client, w, s);

    w.hostsList = new HostsTableView(client);
    w.hostsList->setGeometry(s.rect(12, 8, 277, 353));
    w.hostsList->verticalHeader()->setDefaultSectionSize(s.px(16));

    w.widenButton = button(client, QStringLiteral(">"), s.rect(234, 342, 35, 16));
    w.widenButton->setFont(s.arial(13, true));

    w.memopadText = new QPlainTextEdit(client);
    w.memopadText->setGeometry(s.rect(0, 4, 27, 56));
    w.memopadText->setFont(s.arial(13));
    w.memopadText->setLineWrapMode(QPlainTextEdit::NoWrap);
    w.memopadText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.memopadText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.memopadText->setMaximumBlockCount(1); // one line while no mode shows it
    w.memopadText->hide();
    return w;
}

void placeCommandControls(MainWidgets& w, const DesignScale& s)
{
    placeEditingTools(w, s);
    placeBackupAndRestore(w, s);
    placeFileHandling(w, s);
    placeSearchPanel(w, s);
}

} // namespace vendrel::gui
