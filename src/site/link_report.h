#pragma once
// The lines the link checks print: one per tested address, as tab-separated fields or as one
// JSON object, in UTF-8.

#include <string>
#include <string_view>

#include "net/link_test.h"
#include "site/crawl_store.h"
#include "view/page_links.h"

namespace qm {

enum class ReportFormat { Tsv, Json };

// "Link", "Media", "Linked-file".
const char* LinkKindName(LinkBlockKind kind);

// The line of one page's check: page line, kind, address as written, resolved, the code or why
// there is none, content type, size ("-" when unknown), and after a redirect the final address.
// JSON names them line, kind, written, address, result, status, broken, type, size, final.
std::string LinkLine(const PageLink& link, const LinkResult& result, ReportFormat format,
                     int languageIndex);

// The line of a site check: the page the address was first found on ("-" for the start) and
// how many pages hold it, then the fields of LinkLine; JSON names the two found_on and pages.
std::string SiteLine(const CrawlEntry& entry, std::string_view firstPage, ReportFormat format,
                     int languageIndex);

// text (Windows-1251) as a JSON string with its quotes.
std::string JsonString(std::string_view text);

} // namespace qm
