#pragma once

#include "core/download/block_list_fetch.h"
#include "core/download/block_lists.h"
#include "core/download/url_grabber.h"
#include "vendrel/command_host.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vendrel::gui {

// The Download menu: a published block list fetched by the worker, unpacked,
// and merged into the hosts file or put in its place; the DNS service check.
class DownloadCommands final : public CommandFamily {
public:
    // `downloadHost` ("name:port") replaces the lists' publishers when not empty.
    DownloadCommands(CommandHost& host, std::string downloadHost, MainMenus& menus);

    void GrabberGo();
    void Downloadmenusoff();
    void Downloadmenuson();
    vendrel::HttpUrlGrabber& grabber() { return fetch_->grabber(); }

private:
    void startDownload(const vendrel::BlockListSource& list, bool merge);
    void Grabber1Progress(std::uint64_t position, std::uint64_t totalSize);
    void Grabber1DoneFile();
    void Grabber1Error(const std::string& message);
    void applyDownloadedList();
    // The download is over: the worker stopped, the menus back, the status line idle.
    void endDownload();
    void DownloadMerge();
    void DownloadReplace();
    // Shows what the change left out of the list, when it left anything out.
    void tellNote(const vendrel::PlannedChange& change);
    void cancelDownloadClick();
    void statusOfDnsServiceClick();
    void reportDownloadTrouble(const std::string& reason);
    void setDownloadCursor(bool busy);

    std::string downloadHost_;
    bool mergeAfterDownload_ = false;
    std::string downloadUrl_;
    const vendrel::BlockListSource* list_ = nullptr;
    bool downloadCursor_ = false;
    // Last, so that it goes first: its worker is joined before the rest goes.
    std::unique_ptr<vendrel::BlockListFetch> fetch_;
};

} // namespace vendrel::gui
