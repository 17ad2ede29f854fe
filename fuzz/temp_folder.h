#pragma once
// A folder of its own for the files a target writes (bro.ini), removed when the run ends.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace qm::fuzz {

struct TempFolder {
    std::string path; // ends in "/"
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillmar_fuzz_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace qm::fuzz
