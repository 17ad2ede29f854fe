#include "app/page_json.h"

#include <algorithm>

#include "site/link_report.h"
#include "state/browser_state.h"
#include "tools/charset_evidence.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

std::string OrNull(const std::string& text) { return text.empty() ? "null" : JsonString(text); }

std::string OrNull(std::optional<Charset> charset) {
    return charset ? "\"" + std::string(NameOfCharset(*charset)) + "\"" : "null";
}

std::string Hops(const std::vector<RequestHop>& hops) {
    std::string json = "[";
    for (const RequestHop& hop : hops) {
        if (json.size() > 1) json += ',';
        json += "\n  {\"address\":" + JsonString(hop.address) +
                ",\"status\":" + std::to_string(hop.status) + ",\"headers\":[";
        bool first = true;
        for (const auto& [name, value] : hop.headers) {
            json += first ? "" : ",";
            first = false;
            json += "{\"name\":" + JsonString(name) + ",\"value\":" + JsonString(value) + '}';
        }
        json += "]}";
    }
    return json + (hops.empty() ? "]" : "\n ]");
}

std::string Evidence(const BrowserState& state) {
    const CharsetEvidence evidence = PageCharsetEvidence(state);
    return "{\"header\":" + OrNull(evidence.header) + ",\"bom\":" + OrNull(evidence.bom) +
           ",\"meta\":" + OrNull(evidence.meta) + ",\"guess\":" + OrNull(evidence.guess) +
           ",\"conflict\":" + (evidence.Conflict() ? "true" : "false") +
           ",\"used\":" + OrNull(PageCharsetUsed(state, &evidence)) + '}';
}

std::string Block(const PageBlock& block) {
    std::string json = "{\"kind\":\"" + std::string(PageBlockKindName(block.kind)) +
                       "\",\"line\":" + std::to_string(block.line) +
                       ",\"label\":" + JsonString(block.label) +
                       ",\"written\":" + (block.addressed ? JsonString(block.written) : "null") +
                       ",\"address\":" + (block.addressed ? JsonString(block.address) : "null");
    if (block.kind == PageBlockKind::Hidden) json += ",\"where\":" + JsonString(block.where);
    json += ",\"attributes\":{";
    bool first = true;
    std::vector<std::string_view> named;
    for (const auto& [name, value] : block.attributes) {
        // A name given twice keeps its first value, as the JSON object can hold one.
        if (std::find(named.begin(), named.end(), name) != named.end()) continue;
        named.push_back(name);
        json += first ? "" : ",";
        first = false;
        json += JsonString(name) + ':' + JsonString(value);
    }
    return json + "}}";
}

} // namespace

void WritePageJson(std::ostream& out, const BrowserState& state,
                   const std::vector<PageBlock>& blocks) {
    out << "{\"address\":" + OrNull(state.LastRequestURL.empty() ? state.CurrentURL
                                                                             : state.LastRequestURL) +
                       ",\n \"final_address\":" + OrNull(state.CurrentURL) +
                       ",\n \"status\":" + std::to_string(state.LastStatusCode) +
                       ",\n \"content_type\":" + OrNull(state.PageContentType) +
                       ",\n \"size\":" + std::to_string(state.PageSource.size()) +
                       ",\n \"hops\":" + Hops(state.PageHops) +
                       ",\n \"charset\":" + Evidence(state) + ",\n \"blocks\":[";
    for (size_t i = 0; i < blocks.size(); ++i)
        out << (i ? ",\n  " : "\n  ") << Block(blocks[i]);
    out << (blocks.empty() ? "]}\n" : "\n ]}\n");
}

} // namespace qm
