#pragma once

#include "core/history/hosts_history.h"
#include "core/history/version_compactor.h"
#include "core/history/version_draft.h"
#include "core/hosts/hosts_file_guard.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel {

// Keeps the hosts file's bytes as a version before each write, and takes
// the version back when the write fails. Without a draft the bytes the guard
// reads are stored as they are, so that the write need not wait for their
// compression, and compressed after the write: when the session ends if the
// owner holds the lock throughout (the CLI), else on the compactor's thread.
// With a draft (packed from the bytes the guard read, while the change was
// worked out) the version is written compressed at once and the guard does
// not read the file again.
class VersionKeeper final : public WriteWitness {
public:
    struct Compaction {
        VersionCompactor& compactor;
        const HostsFileGuard& guard;
    };

    VersionKeeper(HostsHistory history, std::string command, HistoryMove move, std::uint64_t stepped,
                  Compaction compaction, VersionDraft* draft = nullptr)
        : history_(std::move(history)), command_(std::move(command)), move_(move), stepped_(stepped),
          compaction_(compaction), draft_(draft)
    {
    }

    void beforeWrite(std::string_view current, std::string_view next) override;
    void written() override;
    void writeFailed() override;
    bool needsCurrent() const override { return draft_ == nullptr; }

private:
    HostsHistory history_;
    std::string command_;
    HistoryMove move_;
    std::uint64_t stepped_;
    std::uint64_t kept_ = 0;
    Compaction compaction_;
    VersionDraft* draft_;
};

} // namespace vendrel
