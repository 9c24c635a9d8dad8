#pragma once

#include "core/error.h"
#include "core/history/hosts_history.h"
#include "core/history/version_compactor.h"
#include "core/history/version_draft.h"
#include "core/hosts/hosts_file_guard.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/hosts_rows.h"
#include "core/progress.h"
#include "core/session/rehearsal.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

// A command that needs to tell blocking entries from others found that the
// redirect address is no blocking address; nothing was changed.
class NoBlockingAddress : public Error {
public:
    explicit NoBlockingAddress(const std::string& redirectLine);
};

// Told before and after a command replaces the rows wholesale, so that a view
// of them never looks at rows in the middle of a change.
class RowsObserver {
public:
    virtual ~RowsObserver() = default;
    virtual void rowsAboutToBeReplaced() = 0;
    virtual void rowsReplaced() = 0;
};

enum class DownloadUse { Merge, Replace };

// The hosts file a program works on and what it knows of it: the rows it
// loaded, the redirect address found in them, and the editor's backup and
// whitelist beside it. Each command changes the hosts file in one atomic
// write under the file's lock; a write of rows loaded earlier is refused
// (ChangedElsewhere) when another program changed the file since. The rows
// are not reloaded after a whole-file command: load() shows its result.
class HostsSession {
public:
    using Locking = HostsFileGuard::Locking;

    HostsSession() = default;
    // With Locking::HeldByOwner the owner holds the hosts file's lock
    // (lockHostsFile) for as long as the session lives.
    HostsSession(std::string hostsPath, std::string dataFolder, Locking locking = Locking::EachAccess);

    const std::string& hostsPath() const { return guard_.path(); }
    // Works on another hosts file (or the same one anew) from now on.
    void setPaths(std::string hostsPath, std::string dataFolder);
    std::string backupPath() const;
    std::string whitelistPath() const;

    HostsRows& rows() { return rows_; }
    const HostsRows& rows() const { return rows_; }
    const std::string& redirectAddress() const { return redirectAddress_; }
    // The line the redirect address was taken from, as the list shows it.
    const std::string& redirectLine() const { return redirectLine_; }
    void setObserver(RowsObserver* observer) { observer_ = observer; }

    // The hosts file's text as it is, for editing as plain text, and its
    // replacement by such text (ChangedElsewhere as for save()).
    std::string readText() { return guard_.read(); }
    void writeText(const std::string& bytes) { guard_.write(bytes, keepVersion("Save Hosts").get()); }

    // Writes the hosts file through `writer`, with administrator rights, from
    // now on; directly again when it is null.
    void writeWithPrivileges(platform::PrivilegedWriter* writer) { guard_.setPrivilegedWriter(writer); }
    bool writesWithPrivileges() const { return guard_.writesWithPrivileges(); }

    // The file's current state on disk becomes the one the rows stand for.
    void acceptCurrentState() { guard_.acceptCurrentState(); }
    bool changedElsewhere() const { return guard_.changedElsewhere(); }

    // Loads the rows from the hosts file. A redirect address stays as it was
    // when the file has no localhost line.
    void load(const Progress& progress = {});
    // Loads the rows when the hosts file exists; false when it does not.
    bool loadIfPresent(const Progress& progress = {});
    // Reads only the redirect address from the hosts file, as load() does,
    // for commands that work on the file's text and show no rows.
    void loadRedirectAddress();

    // Writes the rows as the hosts file after `command` changed them, or as the backup.
    void save(std::string_view command);
    void saveBackup() const;

    // Sorts the hosts file made from the rows. The rows are given up first
    // for `rowsMeanwhile` empty ones: they no longer stand for the file.
    void FileSort(const Progress& progress = {}, std::size_t rowsMeanwhile = 1);
    // What load() then FileSort() write, straight from the file's text
    // without making rows, in less time and memory: for a session that
    // shows no rows.
    void sortHostsFile(const Progress& progress = {});
    // The merge sequence: the file at `path` merged into the hosts file, sorted.
    void mergeSequence(const std::string& path, const Progress& progress = {},
                       std::string_view command = "Merge File");
    // The lines of the file at `path` appended to the hosts file (which is
    // created when missing), or put in its place.
    void FileAppend(const std::string& path);
    void FileRewrite(const std::string& path) { replaceWithFile(path, "Replace File"); }
    // Removes every blocking entry; throws NoBlockingAddress when none can be told.
    void removeBlockingEntries(const Progress& progress = {}, std::size_t rowsMeanwhile = 1);
    // Switches the rows to the other blocking address and saves them.
    void swapLocalhosts();
    // The backup's rows become the hosts file.
    void restoreBackup(const Progress& progress = {});
    // The operating system's default hosts file.
    void WriteDefaultHosts();

    // Adds the host cell of `row` to the whitelist.
    void addToWhitelist(std::size_t row) const;
    // Removes the whitelisted rows and saves the rest; returns how many went.
    std::size_t removeWhitelisted();
    // Adds a blocking row for every whitelist entry and writes the file
    // sorted; false, changing nothing, when there is no whitelist.
    bool addWhitelisted(const Progress& progress = {});

    // Unpacks the list `member` of the downloaded archive at `zipPath` into
    // the data folder and merges it into the hosts file or replaces the file
    // by it. The archive and the list are removed afterwards, however it ends.
    // Returns the path the list was unpacked to.
    std::string applyDownloadedList(const std::string& zipPath, const std::string& member, DownloadUse use,
                                    const Progress& progress = {});

    // The versions the hosts file had before each change, kept in the data
    // folder; none when there is no data folder.
    std::optional<HostsHistory> history() const;
    // Writes back the version before the last change (or the last undo) and
    // returns that change's command. Throws Error when there is none, or when
    // another program changed the file since, which is then left alone. The
    // rows are not reloaded.
    std::string undo();
    std::string redo();
    // Writes back the kept version `number`, as a change of its own.
    void restoreVersion(std::uint64_t number);

    // From now on the hosts file is not written: the first write a command
    // would make is recorded into `found` and stops the command by throwing
    // WriteRehearsed. Nothing else is kept from a rehearsed command: no
    // version, no whitelist or backup change.
    void rehearseWrites(RehearsedChange* found) { rehearsal_ = found; }
    bool rehearsing() const { return rehearsal_ != nullptr; }
    // Runs `command` as a rehearsal and returns what it would write. Whole-file
    // commands leave the rows as they were; row commands change them before
    // they write, so that the rows are to be loaded again after those.
    RehearsedChange rehearse(const std::function<void()>& command);
    // Writes what a rehearsal found, as that command, when the hosts file is
    // still as the rehearsal found it; throws ChangedElsewhere otherwise.
    void carryOut(RehearsedChange change);

    // Waits until the version kept before the last write is compressed.
    void finishHistoryWork() { compactor_.finish(); }

private:
    // Keeps the file's bytes in the history before `command` replaces them,
    // or the bytes `draft` packed from the text last read; none without a history.
    std::unique_ptr<WriteWitness> keepVersion(std::string_view command, HistoryMove move = HistoryMove::Change,
                                              std::uint64_t stepped = 0, VersionDraft* draft = nullptr);
    std::string step(HistoryMove move);
    void replaceWithFile(const std::string& path, std::string_view command);
    // Runs `change` on the rows between the observer's two calls.
    template <typename Change>
    void replaceRows(Change&& change);
    void takeLoaded(LoadedHosts loaded);
    // Takes the file's redirect address and line, when it has one.
    void takeRedirectLine(std::optional<RedirectLine> redirect);
    // The hosts file's text, refused as load() refuses it; takes its redirect line.
    std::string readLoadable();
    // Frees the rows and their text for `rowsMeanwhile` empty ones.
    void giveUpRows(std::size_t rowsMeanwhile);
    void requireBlockingAddress() const;

    // First, so that it goes last: a compression put off until the session
    // ends runs when the rows and texts are gone.
    VersionCompactor compactor_;
    HostsFileGuard guard_;
    std::string dataFolder_;
    HostsRows rows_;
    std::string redirectAddress_;
    std::string redirectLine_;
    RowsObserver* observer_ = nullptr;
    RehearsedChange* rehearsal_ = nullptr;
};

} // namespace vendrel
