#include "platform/write_faults.h"

#include <utility>

namespace platform::write_faults {
namespace {

Hook& installed()
{
    static Hook hook;
    return hook;
}

} // namespace

void install(Hook hook) { installed() = std::move(hook); }

void clear() { installed() = nullptr; }

int before(Step step, std::uint64_t offset)
{
    const Hook& hook = installed();
    return hook ? hook(step, offset) : 0;
}

} // namespace platform::write_faults
