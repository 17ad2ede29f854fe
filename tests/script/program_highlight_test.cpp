// The editor's highlighting: keywords only as whole words, comments only at a line's start.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/program_highlight.h"

namespace qm {
namespace {

// The highlighted pieces written out: [bold] and {comment}.
std::string Marked(const std::string& text) {
    std::string out;
    size_t at = 0;
    for (const HighlightSpan& span : HighlightProgram(text)) {
        out += text.substr(at, span.start - at);
        const bool bold = span.kind == HighlightKind::Keyword;
        out += bold ? '[' : '{';
        out.append(text, span.start, span.length);
        out += bold ? ']' : '}';
        at = span.start + span.length;
    }
    return out + text.substr(at);
}

TEST(ProgramHighlight, KeywordsAndComments) {
    const std::pair<const char*, const char*> cases[] = {
        {"GO abc//y", "[GO] abc//y"},
        {"  //comment GO\nGO", "  {//comment GO}\n[GO]"},
        {"//a\r\nX", "{//a}\r\n[X]"},
        {"gopher", "gopher"},
        {"Go(a)", "[Go](a)"},
        {"x", "[x]"},
        {"GO\tx", "GO\tx"},                     // a tab is no separator
        {"sfirst \"go\"", "[sfirst] \"[go]\""}, // quoted text is not spared
        {"retbef.retaft", "[retbef].[retaft]"},
        {"xgo", "xgo"},
        {"SETBASEURL1", "SETBASEURL1"},
        {"a-close", "a-[close]"},
        {"DELEXCEPT \"\"", "[DELEXCEPT] \"\""},
        {"go //x\n//y", "[go] //[x]\n{//y}"}, // x is a word after "/"
        {"\xcf go", "\xcf [go]"},
    };
    for (auto [text, marked] : cases)
        EXPECT_EQ(Marked(text), marked) << text;
}

} // namespace
} // namespace qm
