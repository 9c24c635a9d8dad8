#include "core/session/rehearsal.h"

namespace vendrel {

void RehearsalWitness::beforeWrite(std::string_view current, std::string_view next)
{
    found_.command = command_;
    found_.before.assign(current);
    found_.after.assign(next);
    throw WriteRehearsed{};
}

} // namespace vendrel
