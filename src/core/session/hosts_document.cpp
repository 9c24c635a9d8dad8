#include "core/session/hosts_document.h"

#include "core/hosts/text_file.h"

#include <utility>

namespace vendrel {

void HostsDocument::setStyle(platform::HostsFileStyle style)
{
    systemLines_ = SystemLines(style.machineName, style.distribution.has_value());
    style_ = std::move(style);
}

void HostsDocument::setPath(std::string path)
{
    path_ = std::move(path);
    adopt({});
}

void HostsDocument::adoptWrittenRows(FileBasis basis, std::string text)
{
    adopt(std::move(basis));
    rows_.markWritten();
    writtenText_ = std::move(text);
}

std::optional<std::string> HostsDocument::takeWrittenText()
{
    if (rows_.changesSinceWritten() > 1 || platform::fileIdentity(path_) != basis_.identity)
        writtenText_.reset();
    return std::exchange(writtenText_, std::nullopt);
}

void HostsDocument::acceptCurrentState()
{
    if (basis_.identity && platform::fileIdentity(path_) == basis_.identity)
        return; // the state the rows stand for already
    adopt(readCurrent().basis);
}

CurrentFile HostsDocument::readUnchanged() const
{
    CurrentFile current = readCurrent();
    if (!stillHasBasis(basis_, current.basis.identity, [&current]() -> const std::string& { return current.bytes; }))
        throw ChangedElsewhere(path_);
    return current;
}

void HostsDocument::load(const Progress& progress)
{
    CurrentFile current = readCurrent();
    if (!current.basis.identity)
        readWholeFile(path_); // throws the error that names the missing file
    basis_ = std::move(current.basis);
    takeLoaded(parseHostsText(std::move(current.bytes), path_, progress));
}

bool HostsDocument::loadIfPresent(const Progress& progress)
{
    if (!platform::fileIdentity(path_))
        return false;
    load(progress);
    return true;
}

void HostsDocument::takeLoaded(LoadedHosts loaded)
{
    replaceRows([&] { rows_ = std::move(loaded.rows); });
    rows_.markWritten();
    writtenText_.reset();
    if (loaded.redirectAddress) {
        redirectAddress_ = std::move(*loaded.redirectAddress);
        redirectLine_ = std::move(loaded.redirectLine);
    }
}

void HostsDocument::takeRedirectLine(std::string_view text)
{
    if (std::optional<RedirectLine> redirect = findRedirectLine(text)) {
        redirectAddress_ = std::move(redirect->address);
        redirectLine_ = std::move(redirect->line);
    }
}

CurrentFile HostsDocument::readLoadable()
{
    CurrentFile current = readCurrent();
    refuseUnloadable(current.bytes, path_);
    takeRedirectLine(current.bytes);
    return current;
}

void HostsDocument::giveUpRows(std::size_t rowsMeanwhile)
{
    replaceRows([&] {
        // Moved out first: assigning empty rows would keep the text's buffer,
        // since a short string is copied into the buffer it replaces.
        HostsRows given = std::move(rows_);
        rows_ = HostsRows(rowsMeanwhile);
    });
    writtenText_.reset();
}

} // namespace vendrel
