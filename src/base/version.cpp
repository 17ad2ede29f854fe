#include "base/version.h"

namespace qm {

std::string GetMyVersion() {
    return std::to_string(QUILLMAR_VERSION_MAJOR) + "." + std::to_string(QUILLMAR_VERSION_MINOR) +
           "." + std::to_string(QUILLMAR_VERSION_PATCH) + "." +
           std::to_string(QUILLMAR_VERSION_TWEAK);
}

} // namespace qm
