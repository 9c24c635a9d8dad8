#include "pellbrook/dialog_fonts.h"
#include "pellbrook/dialog_template.h"
#include "pellbrook/dialog_units.h"
#include "pellbrook/markup_label.h"
#include "pellbrook/safe_mode_dialog.h"
#include "pellbrook/web_link.h"

#include "fake_boot_platform.h"
#include "gui_doubles.h"
#include "test_data.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using pellbrook::SafeModeDialog;
using testing_support::FakeBootPlatform;

const QString confirmation = QStringLiteral("Are you sure you wish to reboot?");
const QString notChanged = QStringLiteral("The boot configuration could not be changed. Restart anyway?");
const std::string entry =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /fastdetect";

std::string typicalWith(const std::string& added)
{
    std::string text = readTestData("msdocs_typical_boot.ini");
    return text.insert(text.find(entry) + entry.size(), added);
}

class SafeModeDialogTest : public ::testing::Test {
protected:
    FakeBootPlatform machine;
    ScriptedPrompter prompter;
    RecordingWebLinkOpener web;
    std::unique_ptr<SafeModeDialog> dialog;
    const std::string original = readTestData("msdocs_typical_boot.ini");
    // boot.ini as it stood when the restart was asked for.
    std::optional<std::string> bootIniAtRestart;

    void SetUp() override
    {
        machine.writeFile(machine.bootIni(), original);
        machine.whenRestartRequested = [this] { bootIniAtRestart = FakeBootPlatform::readFile(machine.bootIni()); };
    }

    void TearDown() override { EXPECT_TRUE(prompter.allAnswersUsed()); }

    void open()
    {
        dialog = std::make_unique<SafeModeDialog>(machine, prompter, web);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QAbstractButton* button(int id) const { return qobject_cast<QAbstractButton*>(dialog->control(id)); }
    void choose(int id) { button(id)->click(); }
    void clickRestart() { QTest::mouseClick(button(pellbrook::RestartButton), Qt::LeftButton); }

    std::string bootIni() const { return FakeBootPlatform::readFile(machine.bootIni()); }
    bool backupExists() const { return std::filesystem::exists(machine.bootIni() + ".PLB"); }

    void expectNothingChanged()
    {
        EXPECT_EQ(bootIni(), original);
        EXPECT_FALSE(backupExists());
        EXPECT_TRUE(machine.events.empty());
        EXPECT_EQ(machine.restartRequests, 0);
    }
};

TEST_F(SafeModeDialogTest, StartStateOnNt)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Pellbrook - Выбор режима следующей загрузки"));
    for (const int id :
         {pellbrook::NormalChoice, pellbrook::MinimalChoice, pellbrook::NetworkChoice, pellbrook::DsRepairChoice})
        EXPECT_TRUE(button(id)->isEnabled()) << id;
    EXPECT_TRUE(button(pellbrook::NormalChoice)->isChecked());
    EXPECT_TRUE(qobject_cast<QPushButton*>(button(pellbrook::RestartButton))->isDefault());
    expectNothingChanged();
}

TEST_F(SafeModeDialogTest, StartStateOffNtDisablesDirectoryRepair)
{
    machine.ntPlatform = false;
    open();
    EXPECT_FALSE(button(pellbrook::DsRepairChoice)->isEnabled());
    EXPECT_TRUE(button(pellbrook::MinimalChoice)->isEnabled());
    EXPECT_TRUE(button(pellbrook::NormalChoice)->isChecked());
}

TEST_F(SafeModeDialogTest, EveryControlInTemplateOrderWithItsTextAndPlace)
{
    open();
    const auto& rows = pellbrook::safeModeDialogControls();
    ASSERT_EQ(dialog->controls().size(), rows.size());
    const pellbrook::DialogBaseUnits units = pellbrook::dialogBaseUnits(pellbrook::dialogFont());
    EXPECT_EQ(dialog->size(), pellbrook::dialogUnitsToPixels(units, 0, 0, 346, 250).size());

    const std::vector<QString> texts = {
        u"Перезагрузка"_s,
        u"Закрыть"_s,
        u""_s,
        u""_s,
        u""_s,
        u""_s,
        u""_s,
        u"<B>Обычная перезагрузка"_s,
        u"<B>Безопасный режим"_s,
        u"<B>Безопасный режим с поддержкой сети"_s,
        u"<B>Безопасный режим с восстановлением службы каталогов"_s,
        u"Перезагрузка в обычном режиме. Все драйвера, службы и программы будут загружены при старте Windows."_s,
        u"Перезагрузка в безопасном режиме без доступа к локальной сети или интернет. При старте системы будет "_s
        u"загружен только минимально-необходимый набор драйверов."_s,
        u"Перезагрузка в безопасном режиме с поддержкой доступа к сети. При старте системы будет загружен только "_s
        u"минимально-необходимый набор драйверов."_s,
        u"Этот режим может быть использован только на контроллерах домена Windows. С его помощью производится "_s
        u"восстановление службы каталогов."_s,
        u"<URL>Visit our web site"_s,
        u""_s,
        u"Version 1.0.1002"_s};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i + 1);
        QWidget* widget = dialog->controls()[i];
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        const auto* label = qobject_cast<QLabel*>(widget);
        EXPECT_EQ(button ? button->text() : label ? label->text() : QString(), texts[i]);
        EXPECT_EQ(widget->pos(), pellbrook::dialogUnitsToPixels(units, rows[i].x, rows[i].y, 0, 0).topLeft());
        EXPECT_TRUE(dialog->rect().contains(widget->geometry()));
        if (rows[i].id != pellbrook::Unaddressed) {
            EXPECT_EQ(dialog->control(rows[i].id), widget);
        }
    }
    EXPECT_EQ(qobject_cast<QFrame*>(dialog->controls()[6])->frameShape(), QFrame::HLine);
    EXPECT_EQ(qobject_cast<QLabel*>(dialog->controls()[16])->pixmap().size(), QSize(496, 64));
}

// Picture statics take their picture's size plus their frame, as the dialog
// manager sizes them, so that no row or column of a picture is cut off.
TEST_F(SafeModeDialogTest, PicturesAreShownWhole)
{
    open();
    const auto& rows = pellbrook::safeModeDialogControls();
    int pictures = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].kind != pellbrook::ControlKind::Icon && rows[i].kind != pellbrook::ControlKind::Banner)
            continue;
        SCOPED_TRACE(i + 1);
        ++pictures;
        const auto* label = qobject_cast<QLabel*>(dialog->controls()[i]);
        ASSERT_TRUE(label);
        const QSize picture = label->pixmap().deviceIndependentSize().toSize();
        EXPECT_EQ(label->contentsRect().size(), picture);
        EXPECT_TRUE(dialog->rect().contains(label->geometry()));
    }
    EXPECT_EQ(pictures, 5);
    EXPECT_EQ(dialog->controls()[16]->size(), QSize(498, 66)) << "496 by 64 inside a one-pixel sunken frame";
    for (std::size_t icon = 2; icon < 6; ++icon)
        EXPECT_EQ(dialog->controls()[icon]->size(), QSize(32, 32)) << icon + 1;
}

TEST_F(SafeModeDialogTest, AssistiveTechnologyReadsWhatTheLabelsShow)
{
    open();
    const std::vector<std::pair<std::size_t, QString>> labels = {
        {7, u"Обычная перезагрузка"_s},
        {8, u"Безопасный режим"_s},
        {9, u"Безопасный режим с поддержкой сети"_s},
        {10, u"Безопасный режим с восстановлением службы каталогов"_s},
        {17, u"Version 1.0.1002"_s}};
    for (const auto& [index, name] : labels) {
        QAccessibleInterface* label = QAccessible::queryAccessibleInterface(dialog->controls()[index]);
        ASSERT_TRUE(label) << index + 1;
        EXPECT_EQ(label->text(QAccessible::Name), name) << index + 1;
        EXPECT_EQ(label->role(), QAccessible::StaticText) << index + 1;
    }

    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(dialog->control(pellbrook::WebLink));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->text(QAccessible::Name), u"Visit our web site"_s);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_TRUE(link->state().linked);
    QAccessibleActionInterface* actions = link->actionInterface();
    ASSERT_TRUE(actions);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(web.opened.size(), 1u) << "pressing the link opens the page";
    EXPECT_EQ(web.opened[0], pellbrook::makerPageUrl());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SafeModeDialogTest, TabOrderFollowsTheTemplate)
{
    open();
    EXPECT_EQ(dialog->control(pellbrook::RestartButton)->nextInFocusChain(), dialog->control(pellbrook::CloseButton));
}

TEST_F(SafeModeDialogTest, NoChangesNothingAndTheDialogStays)
{
    open();
    choose(pellbrook::MinimalChoice);
    prompter.answer(false);
    clickRestart();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].title, QStringLiteral("Pellbrook"));
    EXPECT_EQ(prompter.asked[0].text, confirmation);
    EXPECT_TRUE(dialog->isVisible());
    expectNothingChanged();
}

struct ChoiceCase {
    const char* name;
    int choice;
    std::string switchText; // empty: normal start
};

class SafeModeDialogChoiceTest : public SafeModeDialogTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(SafeModeDialogChoiceTest, YesRestoresThenSetsThenRestartsOnce)
{
    // A run before this one left Minimal in force.
    machine.writeFile(machine.bootIni() + ".PLB", original);
    machine.writeFile(machine.bootIni(), typicalWith(" /safeboot:minimal"));
    open();
    choose(GetParam().choice);
    prompter.answer(true);
    clickRestart();

    const std::string expected = GetParam().switchText.empty() ? original : typicalWith(" " + GetParam().switchText);
    std::vector<std::string> events = {"copy C/boot.ini.PLB -> C/boot.ini"};
    if (!GetParam().switchText.empty())
        events.push_back("copy C/boot.ini -> C/boot.ini.PLB");
    events.push_back("restart");
    EXPECT_EQ(machine.events, events);
    EXPECT_EQ(bootIniAtRestart, expected);
    EXPECT_EQ(FakeBootPlatform::readFile(machine.bootIni() + ".PLB"), original);
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(Choices, SafeModeDialogChoiceTest,
                         ::testing::Values(ChoiceCase{"Normal", pellbrook::NormalChoice, ""},
                                           ChoiceCase{"Minimal", pellbrook::MinimalChoice, "/safeboot:minimal"},
                                           ChoiceCase{"Network", pellbrook::NetworkChoice, "/safeboot:network"},
                                           ChoiceCase{"DsRepair", pellbrook::DsRepairChoice, "/safeboot:dsrepair"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafeModeDialogTest, OffNtNetworkWritesMsdosSys)
{
    machine.ntPlatform = false;
    const std::string msdos = readTestData("win98_MSDOS.SYS");
    machine.writeFile(machine.msdosSys(), msdos);
    open();
    choose(pellbrook::NetworkChoice);
    prompter.answer(true);
    clickRestart();
    std::string expected = msdos;
    expected.insert(expected.find("BootMenu=0\r\n") + 12, "BootSafe=1\r\nNetwork=1\r\n");
    EXPECT_EQ(FakeBootPlatform::readFile(machine.msdosSys()), expected);
    EXPECT_EQ(machine.events, (std::vector<std::string>{"copy C/msdos.sys -> C/msdos.sys.PLB", "restart"}));
    EXPECT_EQ(bootIni(), original) << "boot.ini belongs to the other family";
}

TEST_F(SafeModeDialogTest, OffNtMissingMsdosSysIsNotCreatedAndTheQuestionSaysSo)
{
    machine.ntPlatform = false;
    open();
    choose(pellbrook::MinimalChoice);
    prompter.answer(true);
    prompter.answer(true);
    clickRestart();
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[0].text, confirmation);
    EXPECT_EQ(prompter.asked[1].text, notChanged);
    EXPECT_EQ(machine.restartRequests, 1);
    EXPECT_FALSE(std::filesystem::exists(machine.msdosSys())) << "a file holding only Safe Mode could not be undone";
    EXPECT_FALSE(std::filesystem::exists(machine.msdosSys() + ".PLB"));
}

TEST_F(SafeModeDialogTest, RefusedRestartStillEndsAndKeepsTheChange)
{
    machine.restartAccepted = false;
    open();
    choose(pellbrook::MinimalChoice);
    prompter.answer(true);
    clickRestart();
    EXPECT_EQ(machine.restartRequests, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(prompter.asked.size(), 1u) << "nothing is reported";
    EXPECT_EQ(bootIni(), typicalWith(" /safeboot:minimal"));
}

TEST_F(SafeModeDialogTest, UnchangeableBootIniAsksWhetherToRestartAnyway)
{
    const std::string noDefault = "[boot loader]\r\ntimeout=30\r\n[operating systems]\r\nmulti(0)=\"XP\"\r\n";
    machine.writeFile(machine.bootIni(), noDefault);
    open();
    choose(pellbrook::NetworkChoice);
    prompter.answer(true);
    prompter.answer(false);
    clickRestart();
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].title, QStringLiteral("Pellbrook"));
    EXPECT_EQ(prompter.asked[1].text, notChanged);
    EXPECT_EQ(machine.restartRequests, 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(bootIni(), noDefault);

    prompter.answer(true);
    prompter.answer(true);
    clickRestart();
    EXPECT_EQ(machine.restartRequests, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(bootIni(), noDefault);
}

struct CloseCase {
    const char* name;
    void (*close)(SafeModeDialog&);
};

class SafeModeDialogCloseTest : public SafeModeDialogTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(SafeModeDialogCloseTest, EndsWithNothingChanged)
{
    open();
    choose(pellbrook::MinimalChoice);
    GetParam().close(*dialog);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(prompter.asked.empty());
    expectNothingChanged();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, SafeModeDialogCloseTest,
    ::testing::Values(CloseCase{"CloseButton",
                                [](SafeModeDialog& d) {
                                    QTest::mouseClick(qobject_cast<QPushButton*>(d.control(pellbrook::CloseButton)),
                                                      Qt::LeftButton);
                                }},
                      CloseCase{"Escape", [](SafeModeDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
                      CloseCase{"TitleBarClose", [](SafeModeDialog& d) { d.close(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafeModeDialogTest, WebLinkOpensTheMakersPageAndTheDialogStays)
{
    open();
    QTest::mouseClick(dialog->control(pellbrook::WebLink), Qt::LeftButton);
    ASSERT_EQ(web.opened.size(), 1u);
    EXPECT_EQ(web.opened[0], pellbrook::makerPageUrl());
    EXPECT_EQ(web.opened[0].query(), QStringLiteral("tag=PELLBROOK"));
    EXPECT_TRUE(dialog->isVisible());
    expectNothingChanged();
}

} // namespace
