// The real confirmation box, as the program shows it.

#include "pellbrook/prompter.h"

#include "gui_doubles.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct BoxSeen {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool yesIsDefault = false;
};

// Asks the restart question through the real box and presses `key` in it.
bool askAndPress(Qt::Key key, BoxSeen& seen)
{
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = {box->windowTitle(), box->text(), box->icon(), box->defaultButton() == box->button(QMessageBox::Yes)};
        QTest::keyClick(box, key);
    });
    pellbrook::MessageBoxPrompter prompter;
    return prompter.askYesNo(nullptr, QStringLiteral("Pellbrook"), QStringLiteral("Are you sure you wish to reboot?"));
}

TEST(MessageBoxPrompter, AsksUnderTheBareCaptionAndEscapeAnswersNo)
{
    BoxSeen seen;
    EXPECT_FALSE(askAndPress(Qt::Key_Escape, seen));
    EXPECT_EQ(seen.caption, QStringLiteral("Pellbrook"));
    EXPECT_EQ(seen.text, QStringLiteral("Are you sure you wish to reboot?"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_TRUE(seen.yesIsDefault);
    EXPECT_TRUE(askAndPress(Qt::Key_Return, seen)) << "Return takes the default, Yes";
}

} // namespace
