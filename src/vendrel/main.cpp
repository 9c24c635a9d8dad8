#include "platform/platform.h"
#include "vendrel/application_icon.h"
#include "vendrel/application_setup.h"
#include "vendrel/main_window.h"
#include "vendrel/qt_prompter.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace vendrel::gui;
    platform::giveLargeBlocksBack();
    // Without any display the toolkit would abort with a message about
    // plugins; say what is missing and how to run the editor anyway.
    if (!platform::graphicalDisplayAvailable()) {
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
