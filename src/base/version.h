#pragma once

#include <string>

namespace qm {

// major.minor.release.build of this build, as set in the build files.
std::string GetMyVersion();

} // namespace qm
