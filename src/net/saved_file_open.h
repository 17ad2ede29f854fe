#pragma once
// What the open-saved-file button does with the file field's name.

#include <string>

#include "state/browser_state.h"

namespace qm {

// The open-saved-file button: the address to navigate to, or the caption saying the file is
// missing. Nothing while a pass or a view conversion runs or the field is empty.
struct OpenSavedFileResult {
    enum class Kind { Nothing, Navigate, NotFound } kind = Kind::Nothing;
    std::string text; // Navigate: "file://..." address; NotFound: the caption
};

OpenSavedFileResult OpenSavedFile(const std::string& savedPath, const BrowserState& browser);

} // namespace qm
