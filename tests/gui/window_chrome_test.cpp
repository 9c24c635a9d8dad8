// What surrounds the controls: captions, the window's scale on screens of
// other densities, the keyboard's way into the menus, and what the desktop is
// asked to open.

#include "editor_fixture.h"

#include "vendrel/application_setup.h"
#include "vendrel/desktop_shell.h"
#include "vendrel/qt_prompter.h"
#include "vendrel/web_addresses.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <QWindow>

#include <iostream>
#include <set>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const QString mainCaption = QStringLiteral("Vendrel 3.6      by the Vendrel developers");

QString encoded(const QUrl& url) { return QString::fromLatin1(url.toEncoded()); }

class WindowChromeTest : public EditorFixture {
protected:
    void SetUp() override { writeHosts("127.0.0.1 localhost\r\n0.0.0.0 ads.example.com\r\n"); }
};

// ---- Captions ----

// An application display name that was never set follows the application
// name; only a display name set on its own is appended by the platform to
// every window and box caption.
bool displayNameSetOnItsOwn()
{
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const bool setOnItsOwn = QGuiApplication::applicationDisplayName() != QLatin1String("probe");
    QCoreApplication::setApplicationName(name);
    return setOnItsOwn;
}

TEST_F(WindowChromeTest, TheProgramsNameIsKnownButAppendedToNoCaption)
{
    const QString testName = QCoreApplication::applicationName();
    nameApplication();
    EXPECT_EQ(QCoreApplication::applicationName(), u"Vendrel"_s);
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), u"Vendrel"_s);
    EXPECT_FALSE(displayNameSetOnItsOwn()) << "the window would read \"" << mainCaption.toStdString() << " — Vendrel\"";
    ASSERT_TRUE(start());
    EXPECT_EQ(window->windowTitle(), mainCaption);
    EXPECT_EQ(window->windowHandle()->title(), mainCaption);
    QCoreApplication::setApplicationName(testName);
}

// Shows one message through the real prompter and answers with `button`;
// returns the caption the box had.
QString captionOfRealBox(QWidget* parent, const Prompter::Message& message, QMessageBox::StandardButton button,
                         bool* answer)
{
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        caption = box->windowTitle();
        if (QAbstractButton* chosen = box->button(button))
            chosen->click();
        else
            box->reject();
    });
    QtPrompter prompter;
    *answer = prompter.ask(parent, message);
    return caption;
}

TEST_F(WindowChromeTest, RealBoxesCarryTheirCaptionsUnchanged)
{
    ASSERT_TRUE(start());
    using Kind = Prompter::Kind;
    bool answer = false;
    EXPECT_EQ(captionOfRealBox(window.get(), {Kind::Confirm, QStringLiteral("Confirm"), QStringLiteral("Sure?"), true},
                               QMessageBox::Cancel, &answer),
              u"Confirm"_s);
    EXPECT_FALSE(answer);
    EXPECT_EQ(captionOfRealBox(window.get(), {Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Done"), false},
                               QMessageBox::Ok, &answer),
              u"Vendrel"_s);
    EXPECT_TRUE(answer);
    EXPECT_EQ(captionOfRealBox(window.get(), {Kind::Warning, QStringLiteral("Warning"), QStringLiteral("Hm"), true},
                               QMessageBox::Ok, &answer),
              u"Warning"_s);
    EXPECT_TRUE(answer);
}

// ---- Scale ----

// What the start-up layout gives, and every visible control that sticks out
// of its parent.
struct WindowGeometry {
    QSize client;
    QRect fileHandling;
    QRect fileFrame;
    QStringList clipped;
};

// The square or circle that the style draws for a check box or radio button.
QRect indicatorOf(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool radio = qobject_cast<const QRadioButton*>(button) != nullptr;
    return button->style()->subElementRect(radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator,
                                           &option, button);
}

WindowGeometry measure(const MainWindow& window)
{
    WindowGeometry result{window.centralWidget()->size(),
                          window.widgets().fileHandling->geometry(),
                          window.widgets().fileOperationFrame->geometry(),
                          {}};
    for (const QWidget* control : window.centralWidget()->findChildren<QWidget*>()) {
        if (control->isWindow() || !control->isVisibleTo(&window))
            continue;
        const QString kind = QString::fromLatin1(control->metaObject()->className());
        if (!control->parentWidget()->rect().contains(control->geometry()))
            result.clipped << kind;
        const auto* button = qobject_cast<const QAbstractButton*>(control);
        const bool hasIndicator = qobject_cast<const QRadioButton*>(control) || qobject_cast<const QCheckBox*>(control);
        if (hasIndicator && !control->rect().contains(indicatorOf(button)))
            result.clipped << kind + QStringLiteral(" indicator");
    }
    return result;
}

QString toText(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString toText(const WindowGeometry& g)
{
    return QStringLiteral("client %1x%2; File Handling %3; its frame %4; clipped: %5")
        .arg(g.client.width())
        .arg(g.client.height())
        .arg(toText(g.fileHandling), toText(g.fileFrame),
             g.clipped.isEmpty() ? QStringLiteral("none") : g.clipped.join(QLatin1Char(' ')));
}

struct ScaleCase {
    const char* name;
    int dpi;
    WindowGeometry expected;
};

// Above 96 DPI every design value is multiplied by 96 / DPI and rounded
// before the fixed arithmetic runs; the window is 8 wider than its controls.
const ScaleCase scaleCases[] = {
    {"At96", 96, {QSize(551, 467), QRect(0, 268, 207, 79), QRect(16, 16, 83, 59), {}}},
    {"At120", 120, {QSize(445, 386), QRect(0, 214, 166, 63), QRect(13, 13, 66, 47), {}}},
    {"At144", 144, {QSize(375, 332), QRect(0, 179, 138, 53), QRect(11, 11, 55, 39), {}}},
};

void PrintTo(const ScaleCase& c, std::ostream* out) { *out << c.dpi << " DPI"; }

class WindowScaleTest : public EditorFixture, public ::testing::WithParamInterface<ScaleCase> {
protected:
    void SetUp() override { writeHosts("127.0.0.1 localhost\r\n"); }
};

TEST_P(WindowScaleTest, LayoutFollowsTheDesignScaleAndClipsNothing)
{
    const ScaleCase& c = GetParam();
    ASSERT_TRUE(start(c.dpi));
    EXPECT_EQ(toText(measure(*window)), toText(c.expected));
    EXPECT_EQ(window->width(), c.expected.client.width());
    EXPECT_EQ(window->minimumSize(), window->size());
}

// The environment the program's start-up leaves for the toolkit, for a user
// who chose no high-DPI setting of their own.
QProcessEnvironment programEnvironment()
{
    const char* const setting = "QT_ENABLE_HIGHDPI_SCALING";
    const bool userSetting = qEnvironmentVariableIsSet(setting);
    const QByteArray saved = qgetenv(setting);
    qunsetenv(setting);
    prepareToolkit();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (userSetting)
        qputenv(setting, saved);
    else
        qunsetenv(setting);
    return environment;
}

// The toolkit settles its own scaling when the application object is
// created, so the window on a denser screen is looked at in a new process of
// this test program: it runs the report below on a screen of that DPI.
TEST_P(WindowScaleTest, OnAScreenOfThatDpiOnlyTheDesignScaleApplies)
{
    const ScaleCase& c = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile screen(folder.filePath(QStringLiteral("screen.json")));
    ASSERT_TRUE(screen.open(QIODevice::WriteOnly));
    screen.write(QStringLiteral(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280,
        "height": 1024, "logicalDpi": %1, "logicalBaseDpi": 96, "dpr": 1.0}]})")
                     .arg(c.dpi)
                     .toUtf8());
    screen.close();

    QProcessEnvironment environment = programEnvironment();
    // Named relative to the child's folder: the platform's options are
    // separated by colons, which a Windows path holds after its drive letter.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=screen.json"));
    // The child runs its one test whole and writes no report of its own.
    for (const char* runnerSetting : {"GTEST_OUTPUT", "GTEST_SHARD_INDEX", "GTEST_TOTAL_SHARDS"})
        environment.remove(QString::fromLatin1(runnerSetting));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(folder.path());
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=WindowOnScreen.DISABLED_ReportsItsGeometry"),
                 QStringLiteral("--gtest_also_run_disabled_tests")});
    ASSERT_TRUE(child.waitForFinished(30000));
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const QRegularExpressionMatch report = QRegularExpression(QStringLiteral("window: ([^\r\n]*)")).match(output);
    ASSERT_TRUE(report.hasMatch()) << output.toStdString();
    EXPECT_EQ(report.captured(1), QStringLiteral("%1; pixel ratio 1").arg(toText(c.expected)));
}

INSTANTIATE_TEST_SUITE_P(Dpi, WindowScaleTest, ::testing::ValuesIn(scaleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Run only by the test above, in a process of its own.
class WindowOnScreen : public EditorFixture {};

TEST_F(WindowOnScreen, DISABLED_ReportsItsGeometry)
{
    writeHosts("127.0.0.1 localhost\r\n");
    MainWindowOptions options; // the DPI comes from the screen
    options.endProgram = [this](int code) { endedWith = code; };
    options.shell = &shell;
    window = std::make_unique<MainWindow>(system, prompter, options);
    ASSERT_TRUE(window->FormCreate());
    std::cout << "window: " << toText(measure(*window)).toStdString() << "; pixel ratio " << window->devicePixelRatioF()
              << std::endl;
}

TEST(ToolkitScaling, IsSwitchedOffUnlessTheUserChose)
{
    const char* const setting = "QT_ENABLE_HIGHDPI_SCALING";
    EXPECT_EQ(programEnvironment().value(QString::fromLatin1(setting)), u"0"_s);

    const bool userSetting = qEnvironmentVariableIsSet(setting);
    const QByteArray saved = qgetenv(setting);
    qputenv(setting, "1");
    prepareToolkit();
    EXPECT_EQ(qgetenv(setting), "1");
    if (userSetting)
        qputenv(setting, saved);
    else
        qunsetenv(setting);
}

// ---- Keyboard ----

TEST_F(WindowChromeTest, AltAndTheUnderlinedLetterOpenEachMenuFromTheAddLineBox)
{
    ASSERT_TRUE(start());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    struct MenuKey {
        QMenu* menu;
        Qt::Key key;
        const char* caption;
    };
    const MenuKey menus[] = {
        {m().file, Qt::Key_F, "File"},         {m().recovery, Qt::Key_R, "Recovery"},
        {m().edit, Qt::Key_E, "Edit"},         {m().memopad, Qt::Key_M, "Memopad"},
        {m().download, Qt::Key_D, "Download"}, {m().whitelist, Qt::Key_W, "Whitelist"},
        {m().help, Qt::Key_H, "Help"},
    };
    std::set<QString> letters;
    for (const MenuKey& entry : menus) {
        SCOPED_TRACE(entry.caption);
        EXPECT_EQ(QString(entry.menu->title()).remove(QLatin1Char('&')), QString::fromUtf8(entry.caption));
        letters.insert(QKeySequence::mnemonic(entry.menu->title()).toString());

        w().addLineBox->setFocus();
        ASSERT_TRUE(w().addLineBox->hasFocus());
        QTest::keyClick(w().addLineBox, entry.key, Qt::AltModifier);
        EXPECT_TRUE(entry.menu->isVisible());
        EXPECT_EQ(window->menuBar()->activeAction(), entry.menu->menuAction());
        entry.menu->close();
        window->menuBar()->setActiveAction(nullptr);
    }
    EXPECT_EQ(letters.size(), std::size(menus)) << "one letter for each menu";
    EXPECT_EQ(w().addLineBox->text(), u""_s) << "the letters were not typed into the box";
}

// ---- What the desktop opens ----

TEST_F(WindowChromeTest, HelpFileOpensFromTheProgramFolderWhateverTheCurrentFolder)
{
    const QString help = QFile::decodeName(system.writeFile(system.programFolder() + "/Vendrel.chm", "help").c_str());
    ASSERT_TRUE(start());
    QTemporaryDir elsewhere;
    const QString startFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    m().viewHelpFile->trigger();
    const QUrl opened = shell.opened.isEmpty() ? QUrl() : desktopUrl(shell.opened.last());
    QDir::setCurrent(startFolder);

    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0], encoded(QUrl::fromLocalFile(help)));
    EXPECT_TRUE(opened.isLocalFile()) << opened.toString().toStdString();
    EXPECT_EQ(opened.toLocalFile(), QDir::fromNativeSeparators(help)); // Windows paths come back with slashes
}

TEST(DesktopUrl, DonationFormReadsTheQueryInOrderWithItsValuesIntact)
{
    const QUrl url = desktopUrl(web_addresses::donationAddress());
    // "%2e" and "." are one and the same character to every reader of an
    // address; the desktop is handed the latter, the space as u"%20"_s.
    EXPECT_EQ(encoded(url),
              u"https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=donate%40vendrel.example.org"_s
              u"&item_name=Vendrel%20by%20www.vendrel.example.org&no_shipping=0&no_note=1&tax=0&currency_code=USD"_s);
    using Item = std::pair<QString, QString>;
    const QList<Item> expected = {
        {u"cmd"_s, u"_xclick"_s},
        {u"business"_s, u"donate@vendrel.example.org"_s},
        {u"item_name"_s, u"Vendrel by www.vendrel.example.org"_s},
        {u"no_shipping"_s, u"0"_s},
        {u"no_note"_s, u"1"_s},
        {u"tax"_s, u"0"_s},
        {u"currency_code"_s, u"USD"_s},
    };
    EXPECT_EQ(QUrlQuery(url).queryItems(QUrl::FullyDecoded), expected);
}

TEST(DesktopUrl, AddressesWithoutASchemeOpenOverHttp)
{
    EXPECT_EQ(encoded(desktopUrl(web_addresses::makerSite)), u"http://www.vendrel.example.org"_s);
    EXPECT_EQ(encoded(desktopUrl(web_addresses::mvpsPage)), u"http://www.mvps.org/winhelp2002/hosts.htm"_s);
    EXPECT_EQ(encoded(desktopUrl(web_addresses::hpHostsPage)), u"http://hosts-file.net/"_s);
    EXPECT_EQ(encoded(desktopUrl(web_addresses::forumSite)), u"http://forums.rodavavur.example.net"_s);
}

} // namespace
