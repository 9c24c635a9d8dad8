// The history kept as edits: a change of a few lines keeps only those
// lines, and every version, undo and redo still gives back the exact bytes,
// whatever chain of versions it is built from; a broken chain is damage,
// never a wrong text.

#include "core/editing/line_commands.h"
#include "core/history/hosts_history.h"
#include "core/history/version_file.h"
#include "core/hosts/text_file.h"
#include "session_driver.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::FakePlatform;
using testing_support::SessionDriver;
using vendrel::HostsHistory;

// A list as a save writes it, and one with blanks that a save writes anew.
std::string listText(std::size_t rows, const char* separator)
{
    std::string text = std::string("127.0.0.1") + separator + "localhost\r\n";
    for (std::size_t row = 1; row < rows; ++row)
        text += std::string("0.0.0.0") + separator + "host" + std::to_string(row) + ".example\r\n";
    return text;
}

class HistoryDeltas : public testing::Test {
protected:
    FakePlatform fake;
    std::string data = fake.root() + "/data";
    std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", listText(200, " "));
    SessionDriver session{hosts, data};

    void SetUp() override
    {
        fs::create_directories(data);
        session.document.load();
    }
    HostsHistory history() const { return HostsHistory(data + "/history"); }
    std::string onDisk() const { return FakePlatform::readFile(hosts); }
    std::size_t row(std::mt19937& random) { return random() % session.document.rows().size(); }

    void toggle(std::size_t row)
    {
        vendrel::toggleLineComment(session.document.rows(), row);
        session.saveRows("Toggle Comment");
    }
};

TEST_F(HistoryDeltas, RandomEditsUndoneRedoneAndRestoredGiveBackEveryTextExactly)
{
    std::mt19937 random(5);
    const std::string original = onDisk();
    std::map<std::uint64_t, std::string> kept; // what each version must give back
    const std::vector<std::function<void()>> steps{
        [&] { toggle(row(random)); },
        [&] {
            vendrel::deleteRow(session.document.rows(), row(random));
            session.saveRows("Delete Line");
        },
        [&] {
            session.document.rows().appendRow("0.0.0.0", "added" + std::to_string(random()) + ".example");
            session.saveRows("Add Line");
        },
        [&] {
            session.document.rows().setCell(row(random), vendrel::HostsRows::HostColumn, "edited.example");
            session.saveRows("Edit Line");
        },
        [&] { session.undo(), session.document.load(); },
        [&] { session.redo(), session.document.load(); },
        [&] { session.document.load(); },
    };
    // Few enough steps that they and the undos of them all stay within the bounds.
    for (int step = 0; step < 60; ++step) {
        const std::string before = onDisk();
        const auto newest = history().versions();
        try {
            steps[random() % steps.size()]();
        } catch (const vendrel::Error&) {
            continue; // nothing to undo or redo
        }
        const auto now = history().versions();
        if (!now.empty() && (newest.empty() || now.back().number != newest.back().number))
            kept[now.back().number] = before;
    }
    std::size_t onBases = 0;
    for (const vendrel::VersionInfo& version : history().versions()) {
        EXPECT_EQ(history().bytes(version.number), kept.at(version.number)) << "version " << version.number;
        if (version.base != 0) {
            ++onBases;
            EXPECT_LE(version.diskSize, 4096u) << "version " << version.number;
        }
    }
    EXPECT_GT(onBases, 30u);
    while (const auto next = history().nextUndo()) {
        session.undo();
        ASSERT_EQ(onDisk(), kept.at(*next)) << "the undo of version " << *next;
    }
    EXPECT_EQ(onDisk(), original);
}

TEST_F(HistoryDeltas, OneChangedLineCostsOneLineAndAWholeVersionComesEveryChainLength)
{
    for (std::size_t step = 0; step < 2 * vendrel::longestVersionChain + 5; ++step)
        toggle(step % 50);
    std::vector<std::uint64_t> whole;
    for (const vendrel::VersionInfo& version : history().versions())
        if (version.base == 0)
            whole.push_back(version.number);
    const std::uint64_t every = vendrel::longestVersionChain + 1;
    EXPECT_EQ(whole, (std::vector<std::uint64_t>{1, 1 + every, 1 + 2 * every}));
}

TEST_F(HistoryDeltas, AHistoryOfAnEarlierReleaseIsBuiltOnAndUndoneThroughToItsOldestVersion)
{
    // A version as earlier releases wrote it (no base, no edit) of a text
    // that the file was before a change made elsewhere in the history.
    const std::string oldest = listText(50, " ");
    vendrel::VersionInfo info;
    info.number = 1;
    info.command = "Sort File";
    info.hash = vendrel::contentHash(oldest);
    info.hashAfter = vendrel::contentHash(onDisk());
    fs::create_directories(data + "/history");
    vendrel::writeWholeFile(data + "/history/00000001.version", vendrel::encodeVersion(info, oldest));
    ASSERT_EQ(history().info(1).editSize, std::nullopt);

    std::vector<std::string> states{onDisk()};
    for (std::size_t row : {3, 4, 5, 4}) {
        toggle(row);
        states.push_back(onDisk());
    }
    EXPECT_EQ(history().info(2).base, 0u) << "the version after an old one is whole";
    EXPECT_EQ(history().info(3).base, 2u);
    for (std::size_t step = states.size() - 1; step-- > 0;) {
        session.undo();
        ASSERT_EQ(onDisk(), states[step]);
    }
    session.undo();
    EXPECT_EQ(onDisk(), oldest);
}

struct Sabotage {
    const char* name;
    std::function<void(const std::string& folder)> spoil;
};

void replaceInFile(const std::string& path, const std::string& from, const std::string& to)
{
    std::string text = FakePlatform::readFile(path);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << path;
    vendrel::writeWholeFile(path, text.replace(at, from.size(), to));
}

class ABrokenChain : public HistoryDeltas, public testing::WithParamInterface<Sabotage> {};

TEST_P(ABrokenChain, IsNamedAsDamageAndNothingIsWrittenBack)
{
    for (std::size_t step = 0; step < 4; ++step)
        toggle(step + 1);
    ASSERT_EQ(history().info(4).base, 3u);
    GetParam().spoil(data + "/history");
    const std::string before = onDisk();
    EXPECT_THROW(history().bytes(4), vendrel::Error);
    EXPECT_THROW(session.undo(), vendrel::Error);
    EXPECT_EQ(onDisk(), before);
}

INSTANTIATE_TEST_SUITE_P(
    HistoryDeltas, ABrokenChain,
    testing::Values(
        Sabotage{"BaseGone", [](const std::string& folder) { fs::remove(folder + "/00000003.version"); }},
        Sabotage{"BaseNotAVersion",
                 [](const std::string& folder) {
                     vendrel::writeWholeFile(folder + "/00000003.version", "not a version\n\n");
                 }},
        Sabotage{"BaseOnItself",
                 [](const std::string& folder) { replaceInFile(folder + "/00000004.version", "base 3", "base 4"); }},
        Sabotage{"BaseOnANewerOne",
                 [](const std::string& folder) { replaceInFile(folder + "/00000003.version", "base 2", "base 9"); }},
        Sabotage{"EditOfTheBaseChanged",
                 [](const std::string& folder) {
                     replaceInFile(folder + "/00000003.version", "host3.example", "host3.exampla");
                 }},
        Sabotage{
            "EditOfTheBaseMoved",
            [](const std::string& folder) { replaceInFile(folder + "/00000003.version", "\n\n3 1 ", "\n\n9 1 "); }}),
    [](const testing::TestParamInfo<Sabotage>& info) { return std::string(info.param.name); });

// Texts 0..n, each the one before with line 1 changed, kept as the history
// keeps a change's version: whole, or on the version before it.
class BoundedHistory : public testing::Test {
protected:
    FakePlatform fake;
    HostsHistory bounded{fake.root() + "/history", vendrel::HistoryBounds{5, std::uint64_t{1} << 30}};
    std::vector<std::string> texts{"a\nb0\nc\n"};

    void keep(bool whole)
    {
        const std::string next = "a\nb" + std::to_string(texts.size()) + "\nc\n";
        const vendrel::LineEdit edit{{{1, 1, "b" + std::to_string(texts.size()) + "\n"}}};
        const auto base = bounded.baseFor(vendrel::contentHash(texts.back()), next.size());
        if (whole || !base)
            bounded.keep("Edit", texts.back(), next, vendrel::HistoryMove::Change, 0, vendrel::Packing::Compressed,
                         edit);
        else
            bounded.keepOnBase("Edit", *base, next, vendrel::HistoryMove::Change, 0, edit);
        texts.push_back(next);
    }
    std::vector<std::uint64_t> numbers() const
    {
        std::vector<std::uint64_t> found;
        for (const vendrel::VersionInfo& version : bounded.versions()) {
            found.push_back(version.number);
            EXPECT_EQ(bounded.bytes(version.number), texts[version.number - 1]) << "version " << version.number;
        }
        return found;
    }
};

TEST_F(BoundedHistory, AWholeVersionGoesWithTheVersionsBuiltOnIt)
{
    for (bool whole : {true, false, false, true, false, false})
        keep(whole);
    EXPECT_EQ(numbers(), (std::vector<std::uint64_t>{4, 5, 6}));
}

TEST_F(BoundedHistory, WhenTheNewestIsBuiltOnItTheFirstOneLeftIsMadeWhole)
{
    for (bool whole : {true, false, false, false, false, false, false})
        keep(whole);
    EXPECT_EQ(numbers(), (std::vector<std::uint64_t>{3, 4, 5, 6, 7}));
    EXPECT_EQ(bounded.info(3).base, 0u);
    EXPECT_EQ(bounded.info(4).base, 3u);
}

} // namespace
