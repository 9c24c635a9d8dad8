#pragma once

#include "core/hosts/hosts_file_access.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/hosts_rows.h"
#include "core/hosts/system_lines.h"
#include "core/progress.h"
#include "platform/platform.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vendrel {

// Told before and after the rows are replaced wholesale, so that a view of
// them never looks at rows in the middle of a change.
class RowsObserver {
public:
    virtual ~RowsObserver() = default;
    virtual void rowsAboutToBeReplaced() = 0;
    virtual void rowsReplaced() = 0;
};

// The hosts file a program works on and what it knows of it: its path, the
// rows it loaded, the state of the file they stand for, and the redirect
// address found in them. It reads the file and never writes it; a change is
// planned from it and written by the change writer.
class HostsDocument {
public:
    explicit HostsDocument(std::string path = {}, Locking locking = Locking::EachAccess)
        : path_(std::move(path)), locking_(locking)
    {
    }

    const std::string& path() const { return path_; }
    Locking locking() const { return locking_; }
    // Works on another hosts file (or the same one anew) from now on; the
    // rows stand for no state of it until they are loaded.
    void setPath(std::string path);

    HostsRows& rows() { return rows_; }
    const HostsRows& rows() const { return rows_; }
    const std::string& redirectAddress() const { return redirectAddress_; }
    // The line the redirect address was taken from, as the list shows it.
    const std::string& redirectLine() const { return redirectLine_; }
    void setRedirectAddress(std::string address) { redirectAddress_ = std::move(address); }
    void setObserver(RowsObserver* observer) { observer_ = observer; }

    // How the system's hosts file is written: a Windows system's until the
    // program tells the platform's.
    const platform::HostsFileStyle& style() const { return style_; }
    void setStyle(platform::HostsFileStyle style);
    // The lines of the file no whole-file command may drop.
    const SystemLines& systemLines() const { return systemLines_; }

    // The state of the file the rows stand for.
    const FileBasis& basis() const { return basis_; }
    // The rows stand for `basis` from now on: the state a write of them left.
    void adopt(FileBasis basis)
    {
        basis_ = std::move(basis);
        writtenText_.reset();
    }
    // The same after a save of the rows wrote `text`, which the document
    // keeps while the file stays in that state: the next change of a row
    // then replaces its line in it, with no other row written anew.
    void adoptWrittenRows(FileBasis basis, std::string text);
    // The text the last save of the rows wrote, given up to the caller; none
    // when the file or the rows have moved on since, or it is taken already.
    std::optional<std::string> takeWrittenText();
    // The file as it is now becomes what the rows stand for, as when the user
    // chose to keep the list over another program's change.
    void acceptCurrentState();

    // The hosts file as it is now, read as the document reads it.
    CurrentFile readCurrent() const { return readHostsFile(path_, locking_); }
    // The file as it is now, for a change of the rows: ChangedElsewhere when
    // it is no longer in the state the rows stand for.
    CurrentFile readUnchanged() const;

    // Loads the rows from the hosts file. A redirect address stays as it was
    // when the file has no localhost line.
    void load(const Progress& progress = {});
    // Loads the rows when the hosts file exists; false when it does not.
    bool loadIfPresent(const Progress& progress = {});
    // Reads the hosts file, refused as load() refuses it, and takes its
    // redirect line: for commands on the file's text that show no rows.
    CurrentFile readLoadable();

    // Runs `change` on the rows between the observer's two calls.
    template <typename Change>
    void replaceRows(Change&& change);
    // Frees the rows and their text for `rowsMeanwhile` empty ones: they no
    // longer stand for the file, which is to be loaded again.
    void giveUpRows(std::size_t rowsMeanwhile);

private:
    void takeLoaded(LoadedHosts loaded);
    // Takes the redirect address (and line) of `text`, as load() takes it, when it has one.
    void takeRedirectLine(std::string_view text);

    std::string path_;
    Locking locking_ = Locking::EachAccess;
    FileBasis basis_;
    HostsRows rows_;
    std::string redirectAddress_;
    std::string redirectLine_;
    RowsObserver* observer_ = nullptr;
    std::optional<std::string> writtenText_;
    platform::HostsFileStyle style_;
    SystemLines systemLines_;
};

template <typename Change>
void HostsDocument::replaceRows(Change&& change)
{
    if (observer_)
        observer_->rowsAboutToBeReplaced();
    try {
        change();
    } catch (...) {
        if (observer_)
            observer_->rowsReplaced();
        throw;
    }
    if (observer_)
        observer_->rowsReplaced();
}

} // namespace vendrel
