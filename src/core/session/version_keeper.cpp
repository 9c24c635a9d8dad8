#include "core/session/version_keeper.h"

namespace vendrel {

void VersionKeeper::beforeWrite(std::string_view current, std::string_view next)
{
    kept_ = draft_ ? history_.keep(command_, draft_->packed(), next, move_, stepped_).number
                   : history_.keep(command_, current, next, move_, stepped_, Packing::Stored).number;
}

void VersionKeeper::written()
{
    if (draft_)
        return;
    if (compaction_.guard.locking() == HostsFileGuard::Locking::HeldByOwner)
        compaction_.compactor.compactAtFinish(history_, kept_);
    else
        compaction_.compactor.compactLater(history_, kept_, compaction_.guard.path());
}

void VersionKeeper::writeFailed()
{
    if (kept_)
        history_.withdraw(kept_);
}

} // namespace vendrel
