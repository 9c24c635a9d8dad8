#pragma once

#include "platform/boot_platform.h"
#include "safeboot/boot_files.h"

#include <QDialog>

#include <optional>
#include <vector>

class QButtonGroup;

namespace pellbrook {

struct DialogControl;
struct DialogBaseUnits;
class Prompter;
class WebLinkOpener;

// The program's one dialog: the user picks how the machine starts next and
// restarts it, or closes the dialog with nothing changed.
class SafeModeDialog final : public QDialog {
    Q_OBJECT

public:
    SafeModeDialog(platform::BootPlatform& system, Prompter& prompter, WebLinkOpener& web, QWidget* parent = nullptr);

    // The controls in tab order, one for each row of the dialog template.
    const std::vector<QWidget*>& controls() const { return controls_; }
    // The control with the identifier; null for none.
    QWidget* control(int id) const;

private:
    QWidget* createControl(const DialogControl& row);
    // The mode of the checked choice; nothing for the normal restart.
    std::optional<safeboot::SafeBootMode> chosenMode() const;
    void restartClicked();

    platform::BootPlatform& system_;
    Prompter& prompter_;
    WebLinkOpener& web_;
    QButtonGroup* choices_;
    std::vector<QWidget*> controls_;
};

} // namespace pellbrook
