#pragma once

#include "platform/atomic_file.h"

#include <string_view>

namespace platform {

// The user did not give the administrator's authorisation a privileged
// write needs (the password dialog was cancelled or the password refused);
// nothing was written.
class AuthorisationRefused : public FileError {
public:
    using FileError::FileError;
};

// Writes the system hosts file for a user who may not write it: through a
// small helper that runs with administrator rights once the user authorises
// it, and replaces the file atomically, keeping its owner, mode and labels.
// The helper writes that one file only; it never takes a path from us.
class PrivilegedWriter {
public:
    virtual ~PrivilegedWriter() = default;
    // Asks for the authorisation now, which the system then keeps for a few
    // minutes; false when the user refused it.
    virtual bool authorise() = 0;
    // Replaces the system hosts file by `bytes`. Throws AuthorisationRefused,
    // or FileError with the helper's reason when it could not write.
    virtual void write(std::string_view bytes) = 0;
    // Finishes a rewrite in place of the system hosts file that the helper
    // began and a kill interrupted, under the same proof as
    // finishInterruptedRewrite. Throws AuthorisationRefused, or FileError
    // with the helper's reason when it did not finish it.
    virtual void repair() = 0;
};

} // namespace platform
