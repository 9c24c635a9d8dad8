#include "platform/platform.h"
#include "vendrel/application_icon.h"
#include "vendrel/application_setup.h"
#include "vendrel/main_window.h"
#include "vendrel/qt_prompter.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

bool hasEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Without any display the toolkit would abort with a message about plugins;
// say what is missing and how to run the editor anyway.
bool displayAvailable()
{
    return hasEnvironment("DISPLAY") || hasEnvironment("WAYLAND_DISPLAY") || hasEnvironment("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char** argv)
{
    platform::giveLargeBlocksBack();
    if (!displayAvailable()) {
        std::fputs("vendrel: no graphical display found (DISPLAY is not set); "
                   "run it under a virtual display with: xvfb-run -a build/bin/vendrel\n",
                   stderr);
        return 1;
    }
    prepareToolkit();
    QApplication application(argc, argv);
    nameApplication();
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vendrel"), vendrelIcon()));

    const auto system = platform::createSystemPlatform();
    QtPrompter prompter;
    MainWindow window(*system, prompter);
    if (!window.FormCreate())
        return window.exitCode();
    return QApplication::exec();
}
