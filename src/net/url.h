#pragma once
// Addresses are plain Windows-1251 strings. These operations split them into the parts a
// request is built from and resolve links against a page address; nothing is validated or
// percent-decoded.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct UrlParts {
    std::string SchemePart;   // through the first "://", upper-cased; empty without one
    std::string HostPart;     // a ":port" stays in here
    std::string PathPart;     // starts with "/" or is empty
    std::string QueryPart;    // after the "?", without it
    std::string FragmentPart; // after the first "#" of the address, without it
};

using ExtensionList = std::vector<std::string>;

UrlParts SplitURL(std::string_view address);

// The object name of the request line: the path as UTF-8, then "?" and the query as it is.
// Spaces and control bytes are percent-encoded so that they cannot break the request line.
std::string PathAndPars(const UrlParts& parts);

// Scheme, "://" and host, in the address's own case; empty unless the scheme is HTTP, HTTPS or
// FILE.
std::string GetCurDomain(std::string_view address);

// The address cut before its last "/" after the scheme: the folder of the page. Empty unless
// the scheme is HTTP, HTTPS or FILE.
std::string GetCurDomainPath(std::string_view address);

// The absolute form of a link found on the page at base, with "." and ".." segments resolved.
// data: links come back unchanged.
std::string AddDomain(std::string_view base, std::string_view link);

// The scheme a link starts with (blanks before it skipped), as written and without its ":":
// "ftp" of "ftp://host/", "javascript" of "javascript:x". Empty for a relative link.
std::string_view LinkScheme(std::string_view link);

// "htm|html" -> {"htm", "html"}. Empty pieces count, except one after the last "|".
ExtensionList SplitExts(std::string_view text);

} // namespace qm
