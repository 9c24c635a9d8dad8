#pragma once

#include <string>

namespace testing_support {

// Creates a new folder with an unpredictable name starting with `prefix` in
// the system's temporary folder and returns its path (mkdtemp's job, on
// every system).
std::string createTemporaryFolder(const std::string& prefix);

} // namespace testing_support
