#include "site/link_report.h"

#include <cstdio>

#include "base/codepage.h"

namespace qm {
namespace {

// One field of a line: nothing in it may end the field or the line.
std::string Field(std::string_view text) {
    if (text.empty()) return "-";
    std::string field(text);
    for (char& c : field)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    return Cp1251ToUtf8(field);
}

bool Redirected(const PageLink& link, const LinkResult& result) {
    return !result.failed && result.kind == AddressKind::Web && result.finalUrl != link.address;
}

std::string Size(const LinkResult& result) {
    return result.contentLength < 0 ? "-" : std::to_string(result.contentLength);
}

// The fields of LinkLine, named, without the braces.
std::string JsonFields(const PageLink& link, const LinkResult& result, int languageIndex) {
    std::string fields = "\"line\":" + std::to_string(link.line) + ",\"kind\":\"" +
                         LinkKindName(link.kind) + "\",\"written\":" + JsonString(link.written) +
                         ",\"address\":" + JsonString(link.address) +
                         ",\"result\":" + JsonString(ResultText(result, languageIndex)) +
                         ",\"status\":" + std::to_string(result.status) +
                         ",\"broken\":" + (IsBroken(result) ? "true" : "false") +
                         ",\"type\":" + JsonString(result.contentType) + ",\"size\":" +
                         (result.contentLength < 0 ? "null" : std::to_string(result.contentLength));
    return fields + ",\"final\":" +
           (Redirected(link, result) ? JsonString(result.finalUrl) : std::string("null"));
}

} // namespace

const char* LinkKindName(LinkBlockKind kind) {
    switch (kind) {
    case LinkBlockKind::Link:
        return "Link";
    case LinkBlockKind::Media:
        return "Media";
    case LinkBlockKind::LinkedFile:
        return "Linked-file";
    }
    return "";
}

std::string LinkLine(const PageLink& link, const LinkResult& result, ReportFormat format,
                     int languageIndex) {
    if (format == ReportFormat::Json) {
        std::string object(1, '{');
        object += JsonFields(link, result, languageIndex);
        return object + "}\n";
    }
    std::string line = std::to_string(link.line) + '\t' + LinkKindName(link.kind) + '\t' +
                       Field(link.written) + '\t' + Field(link.address) + '\t' +
                       Field(ResultText(result, languageIndex)) + '\t' +
                       Field(result.contentType) + '\t' + Size(result);
    if (Redirected(link, result)) line += '\t' + Field(result.finalUrl);
    return line + '\n';
}

std::string SiteLine(const CrawlEntry& entry, std::string_view firstPage, ReportFormat format,
                     int languageIndex) {
    const PageLink link{entry.line, entry.kind, entry.written, entry.address};
    if (format == ReportFormat::Json)
        return "{\"found_on\":" + (firstPage.empty() ? "null" : JsonString(firstPage)) +
               ",\"pages\":" + std::to_string(entry.pages) + "," +
               JsonFields(link, entry.result, languageIndex) + "}\n";
    return Field(firstPage) + '\t' + std::to_string(entry.pages) + '\t' +
           LinkLine(link, entry.result, format, languageIndex);
}

std::string JsonString(std::string_view text) {
    const std::string utf8 = Cp1251ToUtf8(text);
    std::string json = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + '"';
}

} // namespace qm
