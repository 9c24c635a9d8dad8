// bench-editor-start: how long the editor takes from start to a hosts list
// with every row in it, and how quickly the list scrolls from end to end.
//
//   bench-editor-start [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]
//                      [--large FILE --large-lines N]
//
// Each start runs in a fresh process (the program runs itself with
// --start-once), on Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise, with a fake platform whose hosts file is a copy of the file under
// test. A start is timed from just before the main window is constructed to
// FormCreate() returning, when the model holds every row. Then, each timed on
// its own: the first paint of the list, scrollToBottom() and scrollToTop(),
// each followed by processing the pending events and a forced repaint of the
// list's viewport through grab(). Reported are medians over N starts (5
// unless told otherwise).
//
// With --large FILE (and --large-lines, the rows it must give) a larger file
// is started in the same way after the others; of its rows only the start
// has a goal, the same as for the million lines.
//
// Internal mode: --start-once FILE EXPECTED_ROWS prints "key=value" lines.

#include "bench_support.h"

#include "fake_platform.h"
#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_window.h"
#include "vendrel/prompter.h"

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace vendrel::gui; // the editor's classes

namespace {

using bench::Clock;
using bench::secondsSince;
namespace fs = std::filesystem;

constexpr double startGoalSeconds = 1.5;
// "Instant" for a person: no perceptible pause after the key press.
constexpr double scrollGoalSeconds = 0.1;

// Answers OK to every message and cancels every file dialog, so that nothing
// waits for a person.
class AcceptingPrompter final : public Prompter {
public:
    bool ask(QWidget*, const Message&) override { return true; }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
};

// Lets the view lay itself out and paint what is now visible.
void settleAndRepaint(QAbstractItemView& view)
{
    QCoreApplication::processEvents();
    const QPixmap painted = view.viewport()->grab();
    if (painted.isNull())
        throw std::runtime_error("the list could not be painted");
}

int startOnce(int argc, char** argv, const std::string& hostsFile, std::size_t expectedRows)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The toolkit wants a private runtime folder; give it one instead of a warning.
    const bench::TempFolder runtimeFolder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtimeFolder.path()));
    QApplication application(argc, argv);

    testing_support::FakePlatform system;
    fs::copy_file(hostsFile, system.hostsPath(), fs::copy_options::overwrite_existing);
    // The copy keeps the source's permissions; the editor must find it writable.
    fs::permissions(system.hostsPath(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    AcceptingPrompter prompter;
    MainWindowOptions options;
    options.endProgram = [](int) {};

    const auto start = Clock::now();
    MainWindow window(system, prompter, std::move(options));
    const bool started = window.FormCreate();
    const double startSeconds = secondsSince(start);
    if (!started)
        throw std::runtime_error("the editor ended during start-up with exit code " +
                                 std::to_string(window.exitCode()));
    const auto rows = static_cast<std::size_t>(window.model().rowCount());
    if (expectedRows != 0 && rows != expectedRows)
        throw std::runtime_error("the list shows " + std::to_string(rows) + " rows, expected " +
                                 std::to_string(expectedRows));

    HostsTableView& view = *window.widgets().hostsList;
    auto timed = [&view](auto&& step) {
        const auto begin = Clock::now();
        step();
        settleAndRepaint(view);
        return secondsSince(begin);
    };
    const double firstPaintSeconds = timed([] {});
    const double bottomSeconds = timed([&view] { view.scrollToBottom(); });
    QScrollBar* bar = view.verticalScrollBar();
    if (bar->value() != bar->maximum() || view.rowAt(view.viewport()->height() - 1) < static_cast<int>(rows) - 2)
        throw std::runtime_error("scrollToBottom() did not reach the last row");
    const double topSeconds = timed([&view] { view.scrollToTop(); });
    if (bar->value() != 0 || view.rowAt(0) != 0)
        throw std::runtime_error("scrollToTop() did not reach the first row");

    std::printf("rows=%zu\nstart=%.6f\nfirst_paint=%.6f\nbottom=%.6f\ntop=%.6f\npeak_kib=%ld\n", rows, startSeconds,
                firstPaintSeconds, bottomSeconds, topSeconds, bench::ownPeakRssKiB());
    std::fflush(stdout);
    return 0;
}

// The scrolling goals are set for the million lines; a larger file has only the start's.
enum class Goals { All, StartOnly };

void benchmarkSubject(const bench::HostsFile& subject, std::size_t runs, Goals goals = Goals::All)
{
    std::map<std::string, std::vector<double>> figures;
    std::size_t rows = 0;
    for (std::size_t run = 0; run < runs; ++run) {
        std::fprintf(stderr, "  %s: start %zu of %zu\n", subject.label.c_str(), run + 1, runs);
        const bench::ChildResult child = bench::runSelf(
            {"--start-once", subject.path, std::to_string(subject.expectedRows)});
        if (child.exitCode != 0)
            throw std::runtime_error("a start of the editor failed for " + subject.path);
        for (const char* key : {"start", "first_paint", "bottom", "top", "peak_kib"})
            figures[key].push_back(std::stod(bench::outputValue(child.output, key)));
        rows = bench::parseCount(bench::outputValue(child.output, "rows").c_str(), "rows");
    }
    std::fprintf(stderr, "  %s: %zu rows in the list\n", subject.label.c_str(), rows);

    const auto secondsRow = [&](const std::string& measure, const std::vector<double>& values, double goal,
                                const std::string& goalText) {
        const double middle = bench::median(values);
        bench::printRow(measure, subject.label, bench::seconds(middle), bench::secondsRange(values), goalText,
                        goal > 0 ? bench::verdict(middle <= goal) : "");
    };
    secondsRow("editor start to rows shown", figures["start"], startGoalSeconds, "<= 1.5 s");
    const bool scrollGoals = goals == Goals::All;
    const double scrollGoal = scrollGoals ? scrollGoalSeconds : 0;
    const std::string scrollGoalText = scrollGoals ? "<= 0.1 s" : "-";
    secondsRow("first paint of the list", figures["first_paint"], scrollGoal, scrollGoalText);
    secondsRow("scrollToBottom + repaint", figures["bottom"], scrollGoal, scrollGoalText);
    secondsRow("scrollToTop + repaint", figures["top"], scrollGoal, scrollGoalText);
    const std::vector<double>& peaks = figures["peak_kib"];
    bench::printRow("editor peak RSS (information)", subject.label, bench::megabytes(bench::median(peaks)),
                    bench::megabytes(bench::minimum(peaks)) + " .. " + bench::megabytes(bench::maximum(peaks)), "-",
                    "");
}

struct Settings {
    bench::Options options;
    bench::HostsFile large; // a larger generated file, measured after the others
};

Settings parseSettings(int argc, char** argv)
{
    Settings settings;
    settings.options = bench::parseOptions(
        argc, argv,
        "bench-editor-start [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real] "
        "[--large FILE --large-lines N]",
        5, [&settings](const std::string& argument, const std::function<const char*()>& value) {
            if (argument == "--large")
                settings.large.path = value();
            else if (argument == "--large-lines")
                settings.large.expectedRows = bench::parseCount(value(), "--large-lines");
            else
                return false;
            return true;
        });
    if (!settings.large.path.empty() && settings.large.expectedRows == 0)
        throw std::runtime_error("--large needs --large-lines, the rows the file must give");
    settings.large.label = bench::fileLabel(settings.large.path);
    return settings;
}

int runBenchmarks(const Settings& settings)
{
    // This process stays small: a child's peak memory includes its parent's.
    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(settings.options, work);

    std::fprintf(stderr, "bench-editor-start: %zu fresh starts each\n", settings.options.runs);
    bench::printHeader();
    for (const bench::HostsFile& subject : chosen.files)
        benchmarkSubject(subject, settings.options.runs);
    if (!settings.large.path.empty())
        benchmarkSubject(settings.large, settings.options.runs, Goals::StartOnly);
    bench::reportMissingRealFile(chosen, "editor start, scrolling");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 4 && std::string(argv[1]) == "--start-once") {
            int qtArgc = 1; // the toolkit sees only the program name
            return startOnce(qtArgc, argv, argv[2], bench::parseCount(argv[3], "EXPECTED_ROWS"));
        }
        return runBenchmarks(parseSettings(argc, argv));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-editor-start: %s\n", error.what());
        return 1;
    }
}
