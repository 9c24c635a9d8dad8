#pragma once

#include <stdexcept>
#include <string>

namespace vendrel {

// The one error type of the core. Its message is the text the user sees,
// for example "Cannot open file /etc/hosts: No such file or directory".
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vendrel
