// The dialog as a desktop shows it: its markup labels as painted, the
// keyboard, and the restart, which goes to the fake machine and never
// reaches the system. On Windows these run a second time with Windows' own
// platform plugin on a desktop (Wine's virtual desktop on a virtual display).

#include "fake_boot_platform.h"
#include "gui_doubles.h"
#include "pellbrook/dialog_template.h"
#include "pellbrook/markup_label.h"
#include "pellbrook/safe_mode_dialog.h"
#include "test_data.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include <memory>

namespace {

using pellbrook::MarkupLabel;

class PellbrookDesktopTest : public ::testing::Test {
protected:
    testing_support::FakeBootPlatform machine;
    ScriptedPrompter prompter;
    RecordingWebLinkOpener web;
    std::unique_ptr<pellbrook::SafeModeDialog> dialog;

    void SetUp() override
    {
        machine.writeFile(machine.bootIni(), readTestData("msdocs_typical_boot.ini"));
        dialog = std::make_unique<pellbrook::SafeModeDialog>(machine, prompter, web);
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    void TearDown() override { EXPECT_TRUE(prompter.allAnswersUsed()); }

    MarkupLabel* labelShowing(const QString& text) const
    {
        for (MarkupLabel* label : dialog->findChildren<MarkupLabel*>())
            if (label->shownText() == text)
                return label;
        return nullptr;
    }
    QAbstractButton* button(int id) const { return qobject_cast<QAbstractButton*>(dialog->control(id)); }
};

// How many pixels of `widget` as painted are near `colour`.
int pixelsNear(QWidget* widget, QColor colour)
{
    const QImage picture = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <
                60)
                ++count;
        }
    return count;
}

TEST_F(PellbrookDesktopTest, HeadingsArePaintedBoldWithoutTheirTagAndTheLinkBlue)
{
    MarkupLabel* heading = labelShowing(QString::fromUtf8("Безопасный режим"));
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->look().font.bold());
    EXPECT_GT(pixelsNear(heading, Qt::black), 10) << "the heading's letters are drawn";

    auto* link = qobject_cast<MarkupLabel*>(dialog->control(pellbrook::WebLink));
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->look().font.underline());
    EXPECT_GT(pixelsNear(link, QColor(0, 0, 255)), 10) << "the link is drawn in blue";
    QTest::mouseMove(link, link->rect().center());
    QTRY_COMPARE(link->cursor().shape(), Qt::BitmapCursor); // the pointing hand
}

TEST_F(PellbrookDesktopTest, TheKeyboardChoosesAndTheRestartGoesToTheFakeMachine)
{
    button(pellbrook::MinimalChoice)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(button(pellbrook::MinimalChoice)->isChecked());
    prompter.answer(true);
    QTest::mouseClick(button(pellbrook::RestartButton), Qt::LeftButton);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("Are you sure you wish to reboot?"));
    EXPECT_EQ(machine.restartRequests, 1);
    EXPECT_NE(testing_support::FakeBootPlatform::readFile(machine.bootIni()).find("/safeboot:minimal"),
              std::string::npos);
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace
