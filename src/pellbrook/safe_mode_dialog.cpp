#include "pellbrook/safe_mode_dialog.h"

#include "pellbrook/dialog_fonts.h"
#include "pellbrook/dialog_template.h"
#include "pellbrook/dialog_units.h"
#include "pellbrook/markup_label.h"
#include "pellbrook/pellbrook_art.h"
#include "pellbrook/prompter.h"
#include "pellbrook/web_link.h"
#include "pellbrook/wrapping_choice.h"
#include "safeboot/boot_choice.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVariant>

namespace pellbrook {
namespace {

const char* const idProperty = "controlId";

QLabel* imageLabel(const QPixmap& image, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(image);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QFrame* etchedLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// Where a control of the template goes. A picture static takes the size of
// its picture plus its frame, whatever the template says, as the dialog
// manager sizes image statics: nothing of the picture is cut off.
QRect placeOf(const DialogControl& row, const QWidget& widget, const DialogBaseUnits& units)
{
    QRect area = dialogUnitsToPixels(units, row.x, row.y, row.width, row.height);
    if (row.kind == ControlKind::EtchedLine)
        area.setHeight(2);
    if (const auto* picture = qobject_cast<const QLabel*>(&widget); picture && !picture->pixmap().isNull()) {
        const int frame = 2 * picture->frameWidth();
        area.setSize(picture->pixmap().deviceIndependentSize().toSize() + QSize(frame, frame));
    }
    return area;
}

QLabel* banner(QWidget* parent)
{
    QLabel* label = imageLabel(bannerPixmap(), parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setLineWidth(1);
    return label;
}

} // namespace

SafeModeDialog::SafeModeDialog(platform::BootPlatform& system, Prompter& prompter, WebLinkOpener& web, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      system_(system), prompter_(prompter), web_(web), choices_(new QButtonGroup(this))
{
    setWindowTitle(QString::fromUtf8(dialogCaption));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("pellbrook"), applicationIcon()));
    setFont(dialogFont());
    const DialogBaseUnits units = dialogBaseUnits(font());
    setFixedSize(dialogUnitsToPixels(units, 0, 0, dialogWidth, dialogHeight).size());

    for (const DialogControl& row : safeModeDialogControls()) {
        QWidget* widget = createControl(row);
        widget->setProperty(idProperty, row.id);
        widget->setGeometry(placeOf(row, *widget, units));
        controls_.push_back(widget);
    }
    for (std::size_t i = 1; i < controls_.size(); ++i)
        setTabOrder(controls_[i - 1], controls_[i]);

    choices_->button(NormalChoice)->setChecked(true);
    choices_->button(DsRepairChoice)->setEnabled(system_.IsNtPlatform());
}

QWidget* SafeModeDialog::createControl(const DialogControl& row)
{
    const QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case ControlKind::DefaultButton:
    case ControlKind::Button: {
        auto* button = new QPushButton(text, this);
        button->setDefault(row.kind == ControlKind::DefaultButton);
        connect(button, &QPushButton::clicked, this,
                row.id == RestartButton ? &SafeModeDialog::restartClicked : &SafeModeDialog::reject);
        return button;
    }
    case ControlKind::Icon:
        return imageLabel(computerIcon(row.image), this);
    case ControlKind::EtchedLine:
        return etchedLine(this);
    case ControlKind::Banner:
        return banner(this);
    case ControlKind::Label:
        return new MarkupLabel(text, this);
    case ControlKind::Link: {
        auto* link = new MarkupLabel(text, this);
        connect(link, &MarkupLabel::clicked, this, [this] { web_.open(makerPageUrl()); });
        return link;
    }
    case ControlKind::Choice:
        break; // below, where the compiler sees every path return
    }
    auto* choice = new WrappingChoice(text, this);
    choices_->addButton(choice, row.id);
    return choice;
}

QWidget* SafeModeDialog::control(int id) const
{
    for (QWidget* widget : controls_)
        if (widget->property(idProperty).toInt() == id)
            return widget;
    return nullptr;
}

std::optional<safeboot::SafeBootMode> SafeModeDialog::chosenMode() const
{
    switch (choices_->checkedId()) {
    case MinimalChoice:
        return safeboot::SafeBootMode::Minimal;
    case NetworkChoice:
        return safeboot::SafeBootMode::Network;
    case DsRepairChoice:
        return safeboot::SafeBootMode::DsRepair;
    default:
        return std::nullopt;
    }
}

// The boot file is restored and changed before the restart is asked for.
// When the change cannot be made the user decides whether to restart anyway;
// a refused restart is not reported: the change waits for the next start.
void SafeModeDialog::restartClicked()
{
    const QString title = QStringLiteral("Pellbrook");
    if (!prompter_.askYesNo(this, title, QStringLiteral("Are you sure you wish to reboot?")))
        return;
    if (!safeboot::applyBootChoice(system_, chosenMode()) &&
        !prompter_.askYesNo(this, title,
                            QStringLiteral("The boot configuration could not be changed. Restart anyway?")))
        return;
    system_.RestartWindows();
    accept();
}

} // namespace pellbrook
