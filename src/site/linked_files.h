#pragma once
// Which of a page's linked files a rip saves, and where each goes: flat in one folder under the
// program's names, or mirrored as host/path/ folders made from the address by the same rules.

#include <string>
#include <string_view>
#include <vector>

#include "view/page_links.h"

namespace qm {

struct LinkedFileFilter {
    bool media = true;
    bool linked = true;
    bool link = false;
    std::vector<std::string> extensions; // of the address's path, without "."; empty: any
    std::string match;                    // a part of the address; empty: any
};

// "media,linked,link" -> the kinds; false for another word.
bool ParseKinds(std::string_view words, LinkedFileFilter& filter);
// "png,JPG, pdf" -> {"png", "jpg", "pdf"}.
std::vector<std::string> ParseExtensions(std::string_view words);

// A web address of a chosen kind, with a chosen extension and the text asked for.
bool IsWanted(LinkBlockKind kind, std::string_view address, const LinkedFileFilter& filter);
// The same without the kind: for the files a stylesheet names.
bool IsWantedFile(std::string_view address, const LinkedFileFilter& filter);

enum class SaveLayout { Flat, Mirror };

// The path a file of that address and content type is saved under, below folder (which ends in
// "/"): the program's saved-file name, under host/path/ folders for Mirror. No part of it can
// lead out of folder: every folder name is made as a file name is ("/", "\", NUL and other
// unsafe characters become "_", "." and ".." are no names, percent codes stay as written).
std::string SavePath(const std::string& folder, std::string_view address,
                     std::string_view contentType, SaveLayout layout);

} // namespace qm
