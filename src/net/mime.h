#pragma once
// Content types the program knows a file extension for: media (image, sound, video) and
// archives. Text and HTML types are deliberately absent.

#include <string>
#include <string_view>

namespace qm {

// The extension list of an exactly matching content type ("jpg|jpeg", first preferred), or an
// empty string. The comparison is case-sensitive over the whole text, so a type followed by
// parameters ("image/png; q=1") matches nothing.
std::string MimeToExt(std::string_view contentType);

// True for the image, audio and video types of the same table; false for the rest.
bool IsMediaType(std::string_view contentType);

} // namespace qm
