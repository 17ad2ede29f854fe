// The addresses a page hides from the tag scanner: each case is a tag, a style or a script and
// the list of where, address and use the scanner would be given.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view/hidden_addresses.h"
#include "view/tag_scanner.h"

namespace qm {
namespace {

using List = std::vector<std::string>;

// "where: value" and the use as one letter: Media, linked File, Link.
List Describe(const std::vector<HiddenAddress>& found) {
    List out;
    for (const HiddenAddress& a : found) {
        const char use = a.use == HiddenUse::Media        ? 'M'
                         : a.use == HiddenUse::LinkedFile ? 'F'
                                                          : 'L';
        out.push_back(a.where + ": " + a.value + " " + use);
    }
    return out;
}

List OfTag(const std::string& tag, ShownAlready shown = {}) {
    TagAttributes attrs;
    ParseTag(tag, attrs);
    std::string name = tag.substr(0, tag.find(' '));
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    std::vector<HiddenAddress> found;
    HiddenAddressesOfTag(name, attrs, shown, found);
    return Describe(found);
}

constexpr ShownAlready kNothingShown{.media = false, .linked = false};
constexpr ShownAlready kAllShown{.media = true, .linked = true};

TEST(HiddenAddresses, OfTags) {
    struct Case {
        std::string tag;
        ShownAlready shown;
        List expected;
    } cases[] = {
        // src is the scanner's; srcset descriptors are not part of the address.
        {"img src=a.png srcset=\"a1.png 1x, a2.png 2x\"",
         {},
         {"srcset: a1.png M", "srcset: a2.png M"}},
        // Attribute order, each lazy-loading name with its own label.
        {"img data-original=o.jpg data-src=s.jpg data-srcset=\"t.jpg 2x\" data-bg=g.jpg "
         "data-background=b.jpg",
         {},
         {"data-original: o.jpg M", "data-src: s.jpg M", "data-srcset: t.jpg M", "data-bg: g.jpg M",
          "data-background: b.jpg M"}},
        // Quotes, "&amp;" and blanks around the address; an apostrophe value keeps its space.
        {"div data-bg=' a.png?x=1&amp;y=2 '", {}, {"data-bg: a.png?x=1&y=2 M"}},
        // The first of two same-named attributes counts.
        {"img data-src=a.jpg DATA-SRC=b.jpg", {}, {"data-src: a.jpg M"}},
        // data: values hold their file; empty values are nothing.
        {"img srcset=\"data:image/png;base64,AA 1x, b.png 2x\" data-src='data:x' data-bg=\"\"",
         {},
         {"srcset: b.png M"}},
        {"div style=\"background: URL( bg.png ); mask: url(data:x); c: url(c.png?a&amp;b)\"",
         {},
         {"style url(): bg.png M", "style url(): c.png?a&b M"}},
        // Serialized styles quote with references.
        {"div style=\"background-image: url(&quot;https://x/a.png?b=1&amp;c=2&quot;), "
         "url(&#39;b.png&#39;), url(&amp;quot;q)\"",
         {},
         {"style url(): https://x/a.png?b=1&c=2 M", "style url(): b.png M",
          "style url(): &quot;q M"}},
        // A poster next to a src is only part of the scanner's label; alone, the scanner shows
        // it when media are shown.
        {"video src=v.mp4 poster=p.jpg", {}, {"poster: p.jpg M"}},
        {"video poster=p.jpg", {}, {}},
        {"video poster=p.jpg", kNothingShown, {"poster: p.jpg M"}},
        {"object data=o.swf", {}, {}},
        {"object data=o.swf", kNothingShown, {"OBJECT data: o.swf M"}},
        {"embed src=e.swf", kNothingShown, {"EMBED src: e.swf M"}},
        {"link rel=\"shortcut icon\" href=/favicon.ico",
         {},
         {"LINK shortcut icon: /favicon.ico F"}},
        {"link rel=\"shortcut icon\" href=/favicon.ico", kAllShown, {}},
        {"link href=f.woff2 rel=PRELOAD", {}, {"LINK PRELOAD: f.woff2 F"}},
        {"link rel=manifest href=site.webmanifest", {}, {"LINK manifest: site.webmanifest F"}},
        // Origins and stylesheets are no hidden files.
        {"link rel=dns-prefetch href=//cdn.example", {}, {}},
        {"link rel=stylesheet href=s.css", {}, {}},
        {"meta http-equiv=\"refresh\" content=\"5; url=a.html\"", {}, {"refresh: a.html L"}},
        {"meta http-equiv=Refresh content=\"0;URL='b.html?x=1&amp;y=2'\"",
         {},
         {"refresh: b.html?x=1&y=2 L"}},
        {"meta http-equiv=refresh content=\"2.5; d.html\"", {}, {"refresh: d.html L"}},
        {"meta http-equiv=refresh content=\"5; urlish.html\"", {}, {"refresh: urlish.html L"}},
        {"meta http-equiv=refresh content=\"url=e.html\"", {}, {}},
        {"meta http-equiv=refresh content=\"5x; url=f.html\"", {}, {}},
        {"meta http-equiv=content-type content=\"5; url=g.html\"", {}, {}},
        {"a href=x.html data-src=y.png", {}, {"data-src: y.png M"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OfTag(c.tag, c.shown), c.expected) << c.tag;
}

TEST(HiddenAddresses, SrcsetCandidates) {
    struct Case {
        std::string srcset;
        std::vector<std::string_view> expected;
    } cases[] = {
        {"", {}},
        {" , ,\t", {}},
        {"a.png", {"a.png"}},
        // A comma at the end of a URL ends the candidate; one inside belongs to the URL.
        {"a.png,b.png 2x", {"a.png,b.png"}},
        {"a.png, b.png 2x,,c.png", {"a.png", "b.png", "c.png"}},
        {"img?w=1,2 100w, c.png 200w", {"img?w=1,2", "c.png"}},
        // A comma inside parentheses of a descriptor does not end the candidate.
        {"a.png (1x, 2x), b.png", {"a.png", "b.png"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SrcsetCandidates(c.srcset), c.expected) << c.srcset;
}

TEST(HiddenAddresses, InStyles) {
    struct Case {
        std::string css;
        List expected;
    } cases[] = {
        {"@import \"a.css\"; @import url(b.css) screen; x { background: url(i.png) }",
         {"@import: a.css F", "@import: b.css F", "STYLE url(): i.png M"}},
        {"@font-face { src: url('f.woff?v=1&amp;w=2') } y { b: url( \" sp.png \" ) } "
         "z { c: url(data:image/png,AA) url(i.png) }",
         {"STYLE url(): f.woff?v=1&w=2 M", "STYLE url(): sp.png M", "STYLE url(): i.png M"}},
    };
    for (const Case& c : cases) {
        std::vector<HiddenAddress> found;
        HiddenAddressesInStyle(c.css, found);
        EXPECT_EQ(Describe(found), c.expected) << c.css;
    }
}

TEST(HiddenAddresses, InScripts) {
    struct Case {
        std::string text;
        bool jsonLd;
        List expected;
    } cases[] = {
        {"var a = \"http://a.com/x.js\", b = 'HTTPS://b.org/?q=1&amp;r=2';",
         false,
         {"script text: http://a.com/x.js L", "script text: HTTPS://b.org/?q=1&r=2 L"}},
        {R"({"url":"https:\/\/c.net\/p\/1","logo":"https:\/\/c.net\/l.png"})",
         true,
         {"JSON-LD: https://c.net/p/1 L", "JSON-LD: https://c.net/l.png L"}},
        // What ends an address, and the punctuation dropped from its end.
        {"see http://d.com/a. (http://e.com/b) [http://f.com/c] {http://g.com/d} <http://h.com/e> "
         "`http://i.com/f`\thttp://j.com/g;:,.\nhttp://k.com/h\\n",
         false,
         {"script text: http://d.com/a L", "script text: http://e.com/b L",
          "script text: http://f.com/c L", "script text: http://g.com/d L",
          "script text: http://h.com/e L", "script text: http://i.com/f L",
          "script text: http://j.com/g L", "script text: http://k.com/h L"}},
        // An address inside another's query is part of it.
        {"'http://a.com/?u=http://b.com/'",
         false,
         {"script text: http://a.com/?u=http://b.com/ L"}},
        // No address: other schemes, a scheme inside a longer one, a missing slash, no host.
        {"ftp://o.com xhttp://m.com http:/n.com http:\\/n.com 'http://' http://. https:",
         false,
         {}},
    };
    for (const Case& c : cases) {
        std::vector<HiddenAddress> found;
        HiddenAddressesInScript(c.text, c.jsonLd, found);
        EXPECT_EQ(Describe(found), c.expected) << c.text;
    }
}

// Hostile pages: each input would take minutes if any place were read again for every
// occurrence; the results show that nothing is lost on the way.
TEST(HiddenAddresses, BigInputs) {
    constexpr size_t kBig = 10 << 20;
    auto repeat = [](std::string_view piece, size_t bytes) {
        std::string out;
        out.reserve(bytes + piece.size());
        while (out.size() < bytes)
            out += piece;
        return out;
    };
    const std::string commas = repeat("a,", kBig) + "a";
    struct Case {
        std::string tag;
        List expected;
    } tags[] = {
        // One URL full of commas, one long data: candidate, a descriptor that never closes.
        {"img srcset=\"" + commas + " 1x\"", {"srcset: " + commas + " M"}},
        {"img srcset=\"data:image/png;base64," + repeat("QUFB", kBig) + " 1x, b.png 2x\"",
         {"srcset: b.png M"}},
        {"div style=\"" + repeat("url(", 400000) + "url('ok.png'\"", {"style url(): ok.png M"}},
    };
    for (const Case& c : tags)
        EXPECT_EQ(OfTag(c.tag), c.expected) << c.tag.substr(0, 40);

    struct ScriptCase {
        std::string text;
        size_t count;
        std::string last;
    } scripts[] = {
        {repeat("'http://", kBig) + "'http://ok.com", 1, "http://ok.com"},
        {"http://a" + repeat("http://", kBig) + "\"", 1, "http://a" + repeat("http://", kBig)},
        {"http:\\/\\/a" + repeat("\\/", kBig) + "\\x", 1, "http://a" + repeat("/", kBig / 2)},
    };
    for (const ScriptCase& c : scripts) {
        std::vector<HiddenAddress> found;
        HiddenAddressesInScript(c.text, false, found);
        ASSERT_EQ(found.size(), c.count) << c.text.substr(0, 40);
        EXPECT_TRUE(found.back().value == c.last) << c.text.substr(0, 40);
    }
}

} // namespace
} // namespace qm
