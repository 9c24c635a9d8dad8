#include "vendrel/qt_prompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vendrel::gui {

namespace {

QMessageBox::Icon iconOf(Prompter::Kind kind)
{
    switch (kind) {
    case Prompter::Kind::Confirm:
        return QMessageBox::Question;
    case Prompter::Kind::Warning:
        return QMessageBox::Warning;
    case Prompter::Kind::Information:
        return QMessageBox::Information;
    case Prompter::Kind::Error:
        return QMessageBox::Critical;
    case Prompter::Kind::Notice:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

bool QtPrompter::ask(QWidget* parent, const Message& message)
{
    QMessageBox box(iconOf(message.kind), message.caption, message.text, QMessageBox::Ok, parent);
    if (message.okCancel) {
        box.addButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(QMessageBox::Ok);
    if (!message.details.isEmpty())
        box.setDetailedText(message.details);
    return box.exec() == QMessageBox::Ok;
}

QString QtPrompter::openFileName(QWidget* parent, const QString& title, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, title, folder);
}

QString QtPrompter::saveFileName(QWidget* parent, const QString& title, const QString& folder)
{
    return QFileDialog::getSaveFileName(parent, title, folder);
}

} // namespace vendrel::gui
