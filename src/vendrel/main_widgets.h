#pragma once

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vendrel::gui {

class DesignScale;
class HostsTableView;
class StatusProgressBar;

// Every control of the main window's client area.
struct MainWidgets {
    HostsTableView* hostsList = nullptr;
    QFrame* toolColumn = nullptr;

    QGroupBox* editingTools = nullptr;
    QLineEdit* addLineBox = nullptr;
    QPushButton* addLineButton = nullptr;
    QPushButton* deleteSelectedLine = nullptr;
    QPushButton* deleteLineAddToWhitelist = nullptr;
    QCheckBox* commentCheckBox = nullptr;
    QPushButton* removeAllBlocking = nullptr;

    QGroupBox* backupAndRestore = nullptr;
    QPushButton* createBackup = nullptr;
    QPushButton* restoreBackup = nullptr;
    QPushButton* restoreMicrosoftHosts = nullptr;

    QGroupBox* fileHandling = nullptr;
    QFrame* fileOperationFrame = nullptr;
    QRadioButton* appendChoice = nullptr;
    QRadioButton* replaceChoice = nullptr;
    QRadioButton* mergeChoice = nullptr;
    QPushButton* selectFile = nullptr;

    QPushButton* writableToggle = nullptr;
    QGroupBox* searchPanel = nullptr;
    QPushButton* searchBackward = nullptr;
    QLineEdit* searchBox = nullptr;
    QPushButton* searchForward = nullptr;
    QPushButton* widenButton = nullptr;
    StatusProgressBar* progressBar = nullptr;
    QPlainTextEdit* memopadText = nullptr;
};

// Creates the window's own controls, the panels and the text boxes at their
// design geometry inside `client`, stacked back to front: progress bar, tool
// column, writable toggle, search panel, hosts list, widen button, plain-text
// area. The buttons the command families make come later, through
// placeCommandControls.
MainWidgets buildMainWidgets(QWidget* client, const DesignScale& scale);

// Puts the buttons, check box and radio buttons the command families made
// into their panels at their design geometry, with the panels' fonts.
void placeCommandControls(MainWidgets& widgets, const DesignScale& scale);

} // namespace vendrel::gui
