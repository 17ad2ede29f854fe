#include "site/robots_rules.h"

#include "base/ascii_case.h"
#include "base/trim.h"

namespace qm {
namespace {

// Whether the pattern matches the start of path: "*" any run, a final "$" the end.
bool Matches(std::string_view pattern, std::string_view path) {
    const bool anchored = !pattern.empty() && pattern.back() == '$';
    if (anchored) pattern.remove_suffix(1);
    size_t p = 0, s = 0, starP = std::string_view::npos, starS = 0;
    // Glob matching with one remembered star: linear in practice, never recursive.
    while (s < path.size() || p < pattern.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starS = s;
        } else if (p == pattern.size() && !anchored) {
            return true;
        } else if (p < pattern.size() && s < path.size() && pattern[p] == path[s]) {
            ++p;
            ++s;
        } else if (starP != std::string_view::npos && starS < path.size()) {
            p = starP + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    return true;
}

struct Line {
    std::string_view key;
    std::string_view value;
};

Line SplitLine(std::string_view line) {
    line = line.substr(0, line.find('#'));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {};
    return {TrimBlanks(line.substr(0, colon)), TrimBlanks(line.substr(colon + 1))};
}

bool NamesUs(std::string_view agent) {
    return StartsWithNoCase(agent, kRobotsName);
}

} // namespace

RobotsRules RobotsRules::Parse(std::string_view text) {
    // Rules of the groups that name the program, and of the groups for every crawler.
    RobotsRules ours, anyone;
    bool oursFound = false;
    bool inAgents = false, forUs = false, forAnyone = false;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const Line line = SplitLine(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (EqualsNoCase(line.key, "user-agent")) {
            if (!inAgents) forUs = forAnyone = false;
            inAgents = true;
            forUs = forUs || NamesUs(line.value);
            forAnyone = forAnyone || line.value == "*";
            oursFound = oursFound || forUs;
            continue;
        }
        const bool allow = EqualsNoCase(line.key, "allow");
        if (!allow && !EqualsNoCase(line.key, "disallow")) continue;
        inAgents = false;
        if (line.value.empty()) continue; // "Disallow:" alone allows everything
        const Rule rule{std::string(line.value), allow};
        if (forUs) ours.rules_.push_back(rule);
        if (forAnyone) anyone.rules_.push_back(rule);
    }
    return oursFound ? ours : anyone;
}

RobotsRules RobotsRules::DisallowAll() {
    RobotsRules rules;
    rules.rules_.push_back({"/", false});
    return rules;
}

bool RobotsRules::Allows(std::string_view path) const {
    if (path == "/robots.txt") return true;
    const Rule* best = nullptr;
    for (const Rule& rule : rules_) {
        if (!Matches(rule.pattern, path)) continue;
        if (!best || rule.pattern.size() > best->pattern.size() ||
            (rule.pattern.size() == best->pattern.size() && rule.allow))
            best = &rule;
    }
    return !best || best->allow;
}

std::string RobotsPath(std::string_view address) {
    const size_t schemeEnd = address.find("://");
    const size_t from = schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3;
    const size_t slash = address.find_first_of("/?", from);
    if (slash == std::string_view::npos) return "/";
    std::string path(address.substr(slash, address.find('#', slash) - slash));
    if (path.front() == '?') path.insert(path.begin(), '/');
    return path;
}

} // namespace qm
