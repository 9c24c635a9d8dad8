// The editor with Windows' own platform plugin on a desktop (Wine's virtual
// desktop on a virtual display), on the real system platform: the hosts file
// is the prefix's own, its attributes the real file attributes. The file and
// its attributes are put back after every test. Under Wine only: a real
// Windows system's hosts file is never touched.

#include "../wine_only.h"
#include "platform/platform.h"
#include "scripted_prompter.h"
#include "vendrel/desktop_shell.h"
#include "vendrel/hosts_table_model.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/main_window.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string typicalHosts = "# comment\r\n127.0.0.1 localhost\r\n0.0.0.0 ads.example.com\r\n";

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class NoShell final : public DesktopShell {
public:
    void open(const QString&) override {}
};

class EditorDesktopTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
    const std::string hosts = system->hostsFolder(system->systemDirectory()) + "\\hosts";
    std::string savedBytes;
    DWORD savedAttributes = INVALID_FILE_ATTRIBUTES;
    ScriptedPrompter prompter;
    NoShell shell;
    std::unique_ptr<MainWindow> window;
    std::optional<int> endedWith;

    void SetUp() override
    {
        SKIP_UNLESS_UNDER_WINE();
        savedAttributes = ::GetFileAttributesA(hosts.c_str());
        ASSERT_NE(savedAttributes, INVALID_FILE_ATTRIBUTES) << hosts;
        savedBytes = readBytes(hosts);
        ::SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
        writeBytes(hosts, typicalHosts);
    }

    void TearDown() override
    {
        window.reset();
        if (savedAttributes == INVALID_FILE_ATTRIBUTES)
            return;
        ::SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
        writeBytes(hosts, savedBytes);
        ::SetFileAttributesA(hosts.c_str(), savedAttributes);
        EXPECT_TRUE(prompter.allAnswersUsed()) << "a scripted answer was left unused";
    }

    DWORD attributes() const { return ::GetFileAttributesA(hosts.c_str()) & 0x7; }
    void setAttributes(DWORD bits) { ASSERT_TRUE(::SetFileAttributesA(hosts.c_str(), bits)); }

    bool start()
    {
        MainWindowOptions options;
        options.endProgram = [this](int code) { endedWith = code; };
        options.shell = &shell;
        window = std::make_unique<MainWindow>(*system, prompter, options);
        return window->FormCreate();
    }
    bool shownAndActive()
    {
        window->activateWindow();
        return QTest::qWaitForWindowExposed(window.get()) && QTest::qWaitForWindowActive(window.get());
    }
    const MainWidgets& w() const { return window->widgets(); }
};

TEST_F(EditorDesktopTest, TheReadOnlyAttributeGivesTheReadOnlyStateAndTheToggleClearsIt)
{
    setAttributes(FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(start());
    ASSERT_TRUE(shownAndActive());
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts Writable?"_s);
    EXPECT_EQ(window->model().rowCount(), 3);

    QTest::mouseClick(w().writableToggle, Qt::LeftButton);
    EXPECT_EQ(attributes(), 0u) << "the file itself is writable now";
    EXPECT_FALSE(window->hostsReadOnly());
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts ReadOnly?"_s);
    QTest::mouseClick(w().writableToggle, Qt::LeftButton);
    EXPECT_EQ(attributes(), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(readBytes(hosts), typicalHosts);
}

// Without read-only: Wine keeps the hidden and system bits of a file in an
// extended attribute, which an ordinary user cannot change on a file whose
// write permission read-only took away.
TEST_F(EditorDesktopTest, AHiddenSystemFileAsksAndLosesBothAttributes)
{
    setAttributes(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    prompter.answer(true);
    ASSERT_TRUE(start());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Warning"_s);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(u"Your HOSTS file is marked as a \"system file\""_s));
    EXPECT_EQ(attributes(), 0u);
    EXPECT_FALSE(window->hostsReadOnly());
    EXPECT_EQ(window->model().rowCount(), 3);
}

TEST_F(EditorDesktopTest, TheMenuOpensFromTheKeyboardAndTheWindowIsPainted)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(shownAndActive());
    EXPECT_EQ(QGuiApplication::platformName(), u"windows"_s);
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    const auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), u"&File"_s);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTest::keyClick(window->menuBar(), Qt::Key_Escape);
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);

    // The list's rows are drawn: the grab of the window has text and frames
    // in many shades, not one flat colour.
    const QImage picture = window->grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3)
        for (int x = 0; x < picture.width(); x += 3)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 20u);
}

} // namespace
