// The hosts file's history: every change keeps the bytes it replaces, undo
// and redo write them back exactly, and nothing another program wrote or a
// failed write leaves is ever taken for a change.

#include "core/download/block_list_fetch.h"
#include "core/editing/line_commands.h"
#include "core/history/hosts_history.h"
#include "core/history/version_compactor.h"
#include "core/history/version_file.h"
#include "core/hosts/hosts_file_access.h"
#include "core/hosts/text_file.h"
#include "platform/write_faults.h"
#include "session_driver.h"

#include "fake_platform.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::FakePlatform;
using vendrel::HostsHistory;
using testing_support::SessionDriver;

const std::string original = "127.0.0.1\tlocalhost\r\n# my own notes\r\n0.0.0.0\tzeta.example\r\n"
                             "\r\n0.0.0.0\tALPHA.example\r\n0.0.0.0\talpha.example\r\n127.0.0.1 mid.example\r\n";

class HistoryTest : public testing::Test {
protected:
    FakePlatform fake;
    std::string data = fake.root() + "/data";
    std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", original);
    std::string other = fake.writeFile(fake.root() + "/in/list.txt", "0.0.0.0 merged.example\r\n# theirs\r\n");
    SessionDriver session{hosts, data};

    void SetUp() override { fs::create_directories(data); }
    void TearDown() override { platform::write_faults::clear(); }
    HostsHistory history() const { return HostsHistory(data + "/history"); }
    std::string onDisk() const { return FakePlatform::readFile(hosts); }
    void changeElsewhere(const std::string& text)
    {
        std::this_thread::sleep_for(10ms);
        vendrel::writeWholeFile(hosts, text);
    }
};

struct Command {
    const char* name;
    std::function<void(SessionDriver&, const std::string& other, const std::string& data)> run;
};

class UndoEveryCommand : public HistoryTest, public testing::WithParamInterface<Command> {};

TEST_P(UndoEveryCommand, GivesBackTheExactBytesAndRedoTheChangedOnes)
{
    session.document.load();
    GetParam().run(session, other, data);
    const std::string changed = onDisk();
    ASSERT_NE(changed, original) << "the command changed nothing";

    EXPECT_EQ(session.undo(), GetParam().name);
    EXPECT_EQ(onDisk(), original);
    EXPECT_EQ(session.redo(), GetParam().name);
    EXPECT_EQ(onDisk(), changed);
    EXPECT_EQ(session.undo(), GetParam().name) << "a redone change can be undone again";
    EXPECT_EQ(onDisk(), original);
}

INSTANTIATE_TEST_SUITE_P(
    History, UndoEveryCommand,
    testing::Values(Command{"Toggle Comment",
                            [](SessionDriver& s, auto&, auto&) {
                                vendrel::toggleLineComment(s.document.rows(), 2);
                                s.apply(vendrel::planSaveRows(s.document, "Toggle Comment"));
                            }},
                    Command{"Add Line",
                            [](SessionDriver& s, auto&, auto&) {
                                s.document.rows().appendRow("0.0.0.0", "new.example");
                                s.apply(vendrel::planSaveRows(s.document, "Add Line"));
                            }},
                    Command{"Sort File",
                            [](SessionDriver& s, auto&, auto&) { s.apply(vendrel::planSort(s.document)); }},
                    Command{"Merge File", [](SessionDriver& s, const std::string& other,
                                             auto&) { s.apply(vendrel::planMerge(s.document, other)); }},
                    Command{"Append File", [](SessionDriver& s, const std::string& other,
                                              auto&) { s.apply(vendrel::planAppend(s.document, other)); }},
                    Command{"Replace File", [](SessionDriver& s, const std::string& other,
                                               auto&) { s.apply(vendrel::planReplace(s.document, other)); }},
                    Command{"Remove All Blocking Entries",
                            [](SessionDriver& s, auto&, auto&) { s.apply(vendrel::planRemoveBlocking(s.document)); }},
                    Command{"Add Whitelist Items",
                            [](SessionDriver& s, auto&, const std::string& data) {
                                vendrel::writeWholeFile(data + "/whitelist.txt", "kept.example\r\n");
                                s.apply(*vendrel::planAddWhitelisted(s.document, data + "/whitelist.txt"));
                            }},
                    Command{"Download Replace",
                            [](SessionDriver& s, auto&, const std::string& data) {
                                fs::copy_file(VENDREL_ARCHIVE_FIXTURES "/stored-upper.zip", data + "/hosts.zip");
                                s.apply(vendrel::planDownloadedList(s.document, data + "/hosts.zip", "hosts",
                                                                    vendrel::DownloadUse::Replace, data));
                            }},
                    Command{"Save Hosts", [](SessionDriver& s, auto&,
                                             auto&) { s.apply(vendrel::planSaveText(s.document, "typed\r\n")); }}),
    [](const testing::TestParamInfo<Command>& info) {
        std::string name;
        for (const char c : std::string(info.param.name))
            if (std::isalnum(static_cast<unsigned char>(c)))
                name += c;
        return name;
    });

TEST_F(HistoryTest, StepsWalkBackAndForthAndANewChangeEndsTheRedos)
{
    session.document.load();
    session.apply(vendrel::planSort(session.document));
    const std::string sorted = onDisk();
    session.document.load();
    session.apply(vendrel::planAppend(session.document, other));
    const std::string appended = onDisk();

    EXPECT_EQ(session.undo(), "Append File");
    EXPECT_EQ(onDisk(), sorted);
    EXPECT_EQ(session.undo(), "Sort File");
    EXPECT_EQ(onDisk(), original);
    EXPECT_THROW(session.undo(), vendrel::Error) << "nothing is left to undo";
    EXPECT_EQ(session.redo(), "Sort File");
    EXPECT_EQ(session.redo(), "Append File");
    EXPECT_EQ(onDisk(), appended);
    EXPECT_THROW(session.redo(), vendrel::Error);

    session.undo();
    session.document.load();
    session.apply(vendrel::planReplace(session.document, other));
    EXPECT_THROW(session.redo(), vendrel::Error) << "a new change ends what could be redone";
    EXPECT_EQ(session.undo(), "Replace File");
    EXPECT_EQ(onDisk(), sorted);
}

TEST_F(HistoryTest, AnUndoAfterAnotherProgramsChangeIsRefusedAndLeavesTheFile)
{
    session.document.load();
    session.apply(vendrel::planSort(session.document));
    changeElsewhere("127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n");
    try {
        session.undo();
        ADD_FAILURE() << "the undo ran";
    } catch (const vendrel::Error& refusal) {
        const std::string message = refusal.what();
        EXPECT_NE(message.find("changed by another program"), std::string::npos) << message;
        EXPECT_NE(message.find("Sort File"), std::string::npos) << message;
    }
    EXPECT_EQ(onDisk(), "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n");
}

// A version an earlier release kept for a change that changed nothing: its
// undo writes the same bytes back, and still moves the history on.
TEST_F(HistoryTest, AStepThatFindsTheFileAsItWasStillMovesTheHistory)
{
    history().keep("Sort File", original, original);
    session.document.load();
    EXPECT_EQ(session.undo(), "Sort File");
    EXPECT_EQ(onDisk(), original);
    EXPECT_EQ(session.redo(), "Sort File");
    EXPECT_THROW(session.redo(), vendrel::Error) << "nothing is left to redo";
}

TEST_F(HistoryTest, EveryVersionRecordsItsCommandLinesAndBytes)
{
    session.document.load();
    session.apply(vendrel::planSort(session.document));
    const std::string sorted = onDisk();
    session.apply(vendrel::planRestoreVersion(session.document, session.writer.history(), 1));
    EXPECT_EQ(onDisk(), original);

    const std::vector<vendrel::VersionInfo> versions = history().versions();
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(versions[0].command, "Sort File");
    EXPECT_EQ(versions[0].linesBefore, 7u);
    EXPECT_EQ(versions[0].linesAfter, vendrel::countLines(sorted));
    EXPECT_EQ(versions[0].hash, vendrel::contentHash(original));
    EXPECT_EQ(versions[1].command, "Restore Version 1");
    EXPECT_EQ(history().bytes(2), sorted);
    EXPECT_EQ(session.undo(), "Restore Version 1");
    EXPECT_EQ(onDisk(), sorted);
}

TEST_F(HistoryTest, TheBoundsDropTheOldestVersionsButNeverTheNewest)
{
    HostsHistory small(data + "/small", {.versions = 3, .bytes = std::uint64_t{1} << 30});
    for (int i = 1; i <= 5; ++i)
        small.keep("Edit Line", "text " + std::to_string(i), "next");
    std::vector<std::uint64_t> numbers;
    for (const auto& version : small.versions())
        numbers.push_back(version.number);
    EXPECT_EQ(numbers, (std::vector<std::uint64_t>{3, 4, 5}));
    EXPECT_EQ(small.bytes(3), "text 3");

    HostsHistory tiny(data + "/tiny", {.versions = 100, .bytes = 1});
    tiny.keep("Sort File", "first", "second");
    tiny.keep("Sort File", "second", "third");
    ASSERT_EQ(tiny.versions().size(), 1u);
    EXPECT_EQ(tiny.bytes(2), "second");
}

TEST_F(HistoryTest, LargeFilesComeBackWholeFromTheirCompressedChunks)
{
    std::string large;
    for (std::uint64_t i = 0; large.size() < (std::size_t{9} << 20); ++i)
        large += "0.0.0.0 host" + std::to_string(i * 7919 % 100003) + ".example\r\n";
    HostsHistory kept(data + "/large");
    const auto info = kept.keep("Sort File", large, "");
    EXPECT_LT(info.diskSize, large.size() / 2);
    EXPECT_EQ(kept.bytes(info.number), large);
}

TEST_F(HistoryTest, AVersionKeptStoredComesBackWholeAndIsCompressedInPlaceLater)
{
    HostsHistory kept(data + "/stored");
    for (const std::string& bytes : {std::string(), std::string(65535, 'a'), std::string(65536, 'b') + original,
                                     std::string(200000, '\r') + "end"}) {
        const auto info = kept.keep("Toggle Comment", bytes, "after", vendrel::HistoryMove::Change, 0,
                                    vendrel::Packing::Stored);
        EXPECT_EQ(kept.bytes(info.number), bytes) << bytes.size();
        EXPECT_GT(info.diskSize, bytes.size());
        kept.compact(info.number);
        EXPECT_EQ(kept.bytes(info.number), bytes) << bytes.size();
        EXPECT_EQ(kept.info(info.number).hashAfter, info.hashAfter);
        if (bytes.size() > 1000) {
            EXPECT_LT(kept.info(info.number).diskSize, bytes.size() / 4) << bytes.size();
        }
    }
    kept.compact(999); // gone: nothing to do
}

TEST_F(HistoryTest, ACompressionThatMeetsAFullDiskLeavesTheStoredVersionWhole)
{
    HostsHistory kept(data + "/full");
    const std::string bytes = std::string(300000, 'x') + original;
    const auto info = kept.keep("Sort File", bytes, "after", vendrel::HistoryMove::Change, 0, vendrel::Packing::Stored);
    platform::write_faults::install([](platform::write_faults::Step, std::uint64_t) { return ENOSPC; });
    vendrel::VersionCompactor::compactNow(kept, info.number);
    platform::write_faults::clear();
    EXPECT_EQ(kept.bytes(info.number), bytes);
    EXPECT_EQ(kept.info(info.number).diskSize, info.diskSize) << "still the stored version";
    EXPECT_EQ(std::distance(fs::directory_iterator(data + "/full"), fs::directory_iterator()), 1)
        << "no temporary file is left";
}

TEST_F(HistoryTest, TheEditorsVersionIsCompressedAfterItsSaveAndTheCliBeforeItEnds)
{
    const std::string large = [] {
        std::string text;
        for (int i = 0; text.size() < 300000; ++i)
            text += "0.0.0.0 host" + std::to_string(i) + ".example\r\n";
        return text;
    }();
    vendrel::writeWholeFile(hosts, large);
    for (const auto locking : {vendrel::Locking::EachAccess, vendrel::Locking::HeldByOwner}) {
        std::optional<platform::FileLock> held;
        if (locking == vendrel::Locking::HeldByOwner)
            held.emplace(vendrel::lockHostsFile(hosts));
        SessionDriver owned(hosts, data, locking);
        owned.document.load();
        const std::string before = onDisk();
        vendrel::toggleLineComment(owned.document.rows(), 1);
        owned.apply(vendrel::planSaveRows(owned.document, "Toggle Comment"));
        owned.writer.finishHistoryWork();
        const auto newest = history().versions().back();
        EXPECT_LT(newest.diskSize, large.size() / 4);
        EXPECT_TRUE(history().bytes(newest.number) == before) << "the kept bytes differ";
    }
}

TEST_F(HistoryTest, ADamagedVersionIsNamedAndNeverWrittenBack)
{
    session.document.load();
    session.apply(vendrel::planSort(session.document));
    session.writer.finishHistoryWork(); // the compression would otherwise rewrite the damaged version
    const std::string sorted = onDisk();
    const std::string path = data + "/history/00000001.version";
    std::string bytes = FakePlatform::readFile(path);
    bytes[bytes.size() - 3] ^= 0x55;
    fake.writeFile(path, bytes);
    try {
        session.undo();
        ADD_FAILURE() << "the undo ran";
    } catch (const vendrel::Error& refusal) {
        EXPECT_NE(std::string(refusal.what()).find(path), std::string::npos) << refusal.what();
    }
    EXPECT_EQ(onDisk(), sorted);
}

TEST_F(HistoryTest, AFailedWriteLeavesNoVersionBehind)
{
    session.document.load();
    int files = 0;
    platform::write_faults::install([&files](platform::write_faults::Step step, std::uint64_t offset) {
        if (step == platform::write_faults::Step::NewFile && offset == 0)
            ++files;
        return files == 2 ? ENOSPC : 0; // the version goes in, the hosts file finds the disk full
    });
    EXPECT_THROW(session.apply(vendrel::planSort(session.document)), vendrel::Error);
    platform::write_faults::clear();
    EXPECT_EQ(onDisk(), original);
    EXPECT_FALSE(fs::exists(data + "/history")) << "a failed change left a version";
}

TEST_F(HistoryTest, AVersionThatCannotBeKeptStopsTheChange)
{
    session.document.load();
    platform::write_faults::install([](platform::write_faults::Step, std::uint64_t) { return ENOSPC; });
    try {
        session.apply(vendrel::planSort(session.document));
        ADD_FAILURE() << "the sort ran";
    } catch (const vendrel::Error& refusal) {
        EXPECT_NE(std::string(refusal.what()).find("the change was not made"), std::string::npos) << refusal.what();
    }
    platform::write_faults::clear();
    EXPECT_EQ(onDisk(), original);
}

TEST_F(HistoryTest, AKillBetweenTheVersionAndTheFileLeavesBothWhole)
{
    session.document.load();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int files = 0;
        platform::write_faults::install([&files](platform::write_faults::Step step, std::uint64_t offset) {
            if (step == platform::write_faults::Step::NewFile && offset == 0 && ++files == 2)
                ::_exit(0); // killed as the hosts file's new text begins
            return 0;
        });
        session.apply(vendrel::planSort(session.document));
        ::_exit(3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the kill did not come between the two";
    EXPECT_EQ(onDisk(), original);
    EXPECT_EQ(history().bytes(1), original);
    for (const auto& entry : fs::directory_iterator(fake.root() + "/etc"))
        EXPECT_EQ(entry.path().filename(), "hosts") << "a temporary file was left";
}

// What a writer killed after keeping its version and before writing the file
// leaves: a version of the file as it is, for a text it never received.
TEST_F(HistoryTest, AVersionForAChangeThatNeverHappenedIsDroppedBeforeTheNextStep)
{
    session.document.load();
    const std::string first = onDisk() + "0.0.0.0 first.example\r\n";
    session.apply(vendrel::planFrom(hosts, session.document.readCurrent(), "Add Line", first));
    const struct {
        const char* name;
        std::function<void()> next;
    } cases[] = {
        {"an undo", [] {}},
        {"a change, then its undo",
         [&] {
             session.apply(vendrel::planFrom(hosts, session.document.readCurrent(), "Add Line", first + "# later\r\n"));
             EXPECT_EQ(session.undo(), "Add Line");
         }},
    };
    for (const auto& c : cases) {
        history().keep("Sort File", onDisk(), "a text the file never got\r\n");
        c.next();
        EXPECT_EQ(session.undo(), "Add Line") << c.name;
        EXPECT_EQ(onDisk(), original) << c.name;
        EXPECT_EQ(session.redo(), "Add Line") << c.name;
        EXPECT_EQ(onDisk(), first) << c.name;
    }
    // A redo killed before the file took the undo off the redo list.
    EXPECT_EQ(session.undo(), "Add Line");
    history().keep("Redo Add Line", onDisk(), first, vendrel::HistoryMove::Redo, *history().nextRedo());
    EXPECT_EQ(session.redo(), "Add Line");
    EXPECT_EQ(onDisk(), first);
}

std::string manyHostLines(std::size_t size)
{
    std::string text;
    for (std::uint64_t i = 0; text.size() < size; ++i)
        text += "0.0.0.0 host" + std::to_string(i * 7919 % 100003) + ".example\r\n";
    return text;
}

// The streamed packing of a drafted version makes the very bytes the whole
// encoding makes, whatever the size of its pieces, and they read back.
TEST(VersionPacking, PiecesMakeTheChunksAWholeEncodingWrites)
{
    vendrel::VersionInfo info;
    info.number = 7;
    info.command = "Sort File";
    for (const std::string& bytes : {std::string(), original, manyHostLines(std::size_t{9} << 20)}) {
        info.hash = vendrel::contentHash(bytes);
        std::vector<std::string> chunks(vendrel::versionChunkCount(bytes.size()));
        const vendrel::ChunkSizes sizes = vendrel::packBytesInPieces(
            bytes, 4096, [&chunks](std::size_t chunk, std::string_view piece) { chunks[chunk].append(piece); });
        std::string file = vendrel::encodeVersionHeader(info, sizes);
        for (const std::string& chunk : chunks)
            file += chunk;
        EXPECT_TRUE(file == vendrel::encodeVersion(info, bytes)) << bytes.size();
        EXPECT_TRUE(vendrel::decodeVersionBytes(file, "v") == bytes) << bytes.size();
    }
}

std::string zlibCompressed(std::string_view bytes, int level)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                  static_cast<uLong>(bytes.size()), level) != Z_OK)
        ADD_FAILURE() << "zlib failed";
    packed.resize(size);
    return packed;
}

// A version file as earlier releases wrote it (their chunks came from zlib's
// one-call compression at level 1), put together here by hand: it still
// reads, from any zlib level, and a version kept now has the same bytes.
TEST(VersionPacking, AVersionFileOfAnEarlierReleaseStillReadsAndIsWhatIsWrittenNow)
{
    const std::string bytes = manyHostLines(300000);
    const std::string header = "vendrel history version 1\nnumber 3\ntime 1600000000\ncommand Sort File\n"
                               "lines-before 2\nlines-after 1\nhash " +
                               vendrel::contentHash(bytes) + "\nhash-after 9-12345678\nmove change\nstepped 0\nchunk " +
                               std::to_string(bytes.size()) + " ";
    for (const int level : {1, 9}) {
        const std::string packed = zlibCompressed(bytes, level);
        const std::string file = header + std::to_string(packed.size()) + "\n\n" + packed;
        EXPECT_EQ(vendrel::decodeVersionInfo(file, "v").command, "Sort File");
        EXPECT_TRUE(vendrel::decodeVersionBytes(file, "v") == bytes) << level;
        if (level == 1) {
            vendrel::VersionInfo info = vendrel::decodeVersionInfo(file, "v");
            EXPECT_TRUE(vendrel::encodeVersion(info, bytes) == file) << "the chunk differs from earlier releases'";
        }
    }
}

// The command line's sort: a session that holds the file's lock throughout
// packs the version from the text it read, beside the sort.
class DraftedSortTest : public HistoryTest {
protected:
    platform::FileLock held = vendrel::lockHostsFile(hosts);
    SessionDriver owner{hosts, data, vendrel::Locking::HeldByOwner};

    std::vector<std::string> historyFiles() const
    {
        std::vector<std::string> names;
        if (fs::exists(data + "/history"))
            for (const auto& entry : fs::directory_iterator(data + "/history"))
                names.push_back(entry.path().filename().string());
        std::ranges::sort(names);
        return names;
    }
    // Makes the write that begins the `nth` new file find the disk full.
    static void failNewFile(int nth)
    {
        using platform::write_faults::Step;
        platform::write_faults::install([nth, files = 0](Step step, std::uint64_t offset) mutable {
            if (step == Step::NewFile && offset == 0)
                ++files;
            return files == nth ? ENOSPC : 0;
        });
    }
};

TEST_F(DraftedSortTest, KeepsTheBytesItSortedExactlyAndLeavesOnlyTheVersion)
{
    const std::string large = manyHostLines(std::size_t{9} << 20); // several chunks of several pieces
    vendrel::writeWholeFile(hosts, large);
    owner.apply(vendrel::planSortFile(owner.document, vendrel::BytesBefore::GivenUp, owner.writer.draftFolder()));
    const std::string sorted = onDisk();

    EXPECT_EQ(historyFiles(), std::vector<std::string>{"00000001.version"}) << "a draft was left";
    const vendrel::VersionInfo version = history().info(1);
    EXPECT_EQ(version.command, "Sort File");
    EXPECT_EQ(version.linesBefore, vendrel::countLines(large));
    EXPECT_EQ(version.linesAfter, vendrel::countLines(sorted));
    EXPECT_EQ(version.hashAfter, vendrel::contentHash(sorted));
    EXPECT_LT(version.diskSize, large.size() / 2) << "the version is compressed at once";
    EXPECT_TRUE(history().bytes(1) == large);
    EXPECT_EQ(owner.undo(), "Sort File");
    EXPECT_TRUE(onDisk() == large);
}

TEST_F(DraftedSortTest, ASecondWriterDuringTheSortIsRefusedAndLeavesNoTrace)
{
    const std::string theirs = "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n";
    vendrel::Progress progress;
    progress.startPhase = [&](const char*, std::size_t) { changeElsewhere(theirs); };
    EXPECT_THROW(owner.apply(vendrel::planSortFile(owner.document, vendrel::BytesBefore::GivenUp,
                                                   owner.writer.draftFolder(), progress)),
                 vendrel::ChangedElsewhere);
    EXPECT_EQ(onDisk(), theirs);
    EXPECT_FALSE(fs::exists(data + "/history")) << "the refused change left a version or a draft";
}

TEST_F(DraftedSortTest, ADraftThatMeetsAFullDiskStopsTheChange)
{
    failNewFile(1);
    try {
        owner.apply(vendrel::planSortFile(owner.document, vendrel::BytesBefore::GivenUp, owner.writer.draftFolder()));
        ADD_FAILURE() << "the sort ran";
    } catch (const vendrel::Error& refusal) {
        EXPECT_NE(std::string(refusal.what()).find("the change was not made"), std::string::npos) << refusal.what();
    }
    platform::write_faults::clear();
    EXPECT_EQ(onDisk(), original);
    EXPECT_FALSE(fs::exists(data + "/history"));
}

TEST_F(DraftedSortTest, AFailedWriteOfTheFileLeavesNeitherVersionNorDraft)
{
    failNewFile(3); // the draft and the version go in, the hosts file finds the disk full
    EXPECT_THROW(
        owner.apply(vendrel::planSortFile(owner.document, vendrel::BytesBefore::GivenUp, owner.writer.draftFolder())),
        vendrel::Error);
    platform::write_faults::clear();
    EXPECT_EQ(onDisk(), original);
    EXPECT_FALSE(fs::exists(data + "/history"));
}

TEST_F(DraftedSortTest, AKillBeforeTheFileLeavesBothWholeAndTheNextSortClearsTheDraft)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int files = 0;
        platform::write_faults::install([&files](platform::write_faults::Step step, std::uint64_t offset) {
            if (step == platform::write_faults::Step::NewFile && offset == 0 && ++files == 3)
                ::_exit(0); // killed as the hosts file's new text begins
            return 0;
        });
        owner.apply(vendrel::planSortFile(owner.document, vendrel::BytesBefore::GivenUp, owner.writer.draftFolder()));
        ::_exit(3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the kill did not come before the file";
    EXPECT_EQ(onDisk(), original);
    EXPECT_EQ(history().bytes(1), original);
    ASSERT_EQ(history().versions().size(), 1u) << "a draft the kill left is no version";

    // The version the kill left was kept for a sort that never reached the
    // file: it goes, and this sort's own takes its place.
    owner.apply(vendrel::planSortFile(owner.document, vendrel::BytesBefore::GivenUp, owner.writer.draftFolder()));
    EXPECT_EQ(historyFiles(), (std::vector<std::string>{"00000001.version"}));
    EXPECT_EQ(history().bytes(1), original);
    EXPECT_EQ(history().info(1).hashAfter, vendrel::contentHash(onDisk()));
}

} // namespace
