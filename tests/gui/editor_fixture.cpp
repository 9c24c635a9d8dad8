#include "editor_fixture.h"

#include "vendrel/hosts_table_model.h"
#include "vendrel/status_progress_bar.h"

using namespace vendrel::gui; // the editor's classes

bool EditorFixture::start(double dpi)
{
    MainWindowOptions options;
    options.dpi = dpi;
    options.endProgram = [this](int code) { endedWith = code; };
    options.shell = &shell;
    options.downloadHost = downloadHost;
    window = std::make_unique<MainWindow>(system, prompter, options);
    return window->FormCreate();
}

std::string EditorFixture::cell(int row, int column) const
{
    return std::string(window->model().rows().cell(static_cast<std::size_t>(row), column));
}

int EditorFixture::rowCount() const { return window->model().rowCount(); }

std::string EditorFixture::progressText() const { return window->widgets().progressBar->text().toStdString(); }
