#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/url.h"

namespace qm {
namespace {

struct SplitCase {
    std::string address;
    UrlParts expected;
};

TEST(SplitURL, FillsTheFiveParts) {
    const std::vector<SplitCase> cases = {
        {"http://host", {"HTTP://", "host", "", "", ""}},
        {"http://host/", {"HTTP://", "host", "/", "", ""}},
        {"Https://Host:8080/a/b.html?x=1#top",
         {"HTTPS://", "Host:8080", "/a/b.html", "x=1", "top"}},
        {"http://host?a=1", {"HTTP://", "host", "", "a=1", ""}},
        {"http://host/p?x=1?y", {"HTTP://", "host", "/p", "x=1?y", ""}},
        {"http://host?a=/b", {"HTTP://", "host?a=", "/b", "", ""}},
        {"host/a#x#y", {"", "host", "/a", "", "x#y"}},
        {"host", {"", "host", "", "", ""}},
        {"", {"", "", "", "", ""}},
        {"#", {"", "", "", "", ""}},
        {"a#b://c/d", {"", "a", "", "", "b://c/d"}},
        {"://", {"://", "", "", "", ""}},
        {"file://C:/site/index.htm", {"FILE://", "C:", "/site/index.htm", "", ""}},
        {"http://host/p?", {"HTTP://", "host", "/p", "", ""}},
        {std::string("http://h\0st/\0?\0", 15),
         {"HTTP://", std::string("h\0st", 4), std::string("/\0", 2), std::string("\0", 1), ""}},
    };
    for (const SplitCase& c : cases) {
        UrlParts actual = SplitURL(c.address);
        SCOPED_TRACE("address: " + c.address);
        EXPECT_EQ(actual.SchemePart, c.expected.SchemePart);
        EXPECT_EQ(actual.HostPart, c.expected.HostPart);
        EXPECT_EQ(actual.PathPart, c.expected.PathPart);
        EXPECT_EQ(actual.QueryPart, c.expected.QueryPart);
        EXPECT_EQ(actual.FragmentPart, c.expected.FragmentPart);
    }
}

TEST(PathAndPars, PathGoesAsUtf8AndQueryAsItIsBothPercentEncodedAboveAscii) {
    // "\xEF\xF0\xE8" is the Windows-1251 form of the Cyrillic "при".
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://host", ""},
        {"http://host?a=1", "?a=1"},
        {"http://host/p?", "/p"},
        {"http://host/a/b?x=1&y=2#frag", "/a/b?x=1&y=2"},
        {"http://host/\xEF\xF0\xE8", "/%D0%BF%D1%80%D0%B8"},
        {"http://host/?q=\xEF\xF0\xE8", "/?q=%EF%F0%E8"},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(PathAndPars(SplitURL(address)), expected) << "address: " << address;
}

TEST(PathAndPars, SpacesAndControlBytesCannotBreakTheRequestLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://host/a b", "/a%20b"},
        {"http://host/a?q=x y", "/a?q=x%20y"},
        {"http://host/a\r\nX-Injected: 1", "/a%0D%0AX-Injected:%201"},
        {std::string("http://host/\0?\x7F", 15), "/%00?%7F"},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(PathAndPars(SplitURL(address)), expected) << "address: " << address;
}

TEST(GetCurDomain, SchemeAndHostOfKnownSchemesOnly) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://host/dir/page.html", "http://host"},
        {"HTTPS://Host:443/x", "HTTPS://Host:443"},
        {"http://host", "http://host"},
        {"http://host?a=/b", "http://host?a="},
        {"file://C:/site/index.htm", "file://C:"},
        {"ftp://host/x", ""},
        {"host/x", ""},
        {"about:history", ""},
        {"", ""},
        {" http://host/x", ""},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(GetCurDomain(address), expected) << "address: " << address;
}

TEST(GetCurDomainPath, FolderOfThePage) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://host", "http://host"},
        {"http://host/", "http://host"},
        {"https://host/a/b/", "https://host/a/b"},
        {"http://host/dir/page.html", "http://host/dir"},
        {"http://host/dir/page?x=/y", "http://host/dir/page?x="},
        {"file://C:/site/index.htm", "file://C:/site"},
        {"ftp://host/a/b", ""},
        {"http:/host/a", ""},
        {"", ""},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(GetCurDomainPath(address), expected) << "address: " << address;
}

struct ResolveCase {
    std::string base;
    std::string link;
    std::string expected;
};

void ExpectResolved(const std::vector<ResolveCase>& cases) {
    for (const ResolveCase& c : cases)
        EXPECT_EQ(AddDomain(c.base, c.link), c.expected)
            << "base: " << c.base << "\nlink: " << c.link;
}

TEST(AddDomain, ResolvesLinksAgainstThePage) {
    const std::string base = "http://host/dir/page.html";
    ExpectResolved({
        {base, "img/a.png", "http://host/dir/img/a.png"},
        {base, "./img/a.png", "http://host/dir/img/a.png"},
        {base, "../a.png", "http://host/a.png"},
        {base, "../../../a.png", "http://host/a.png"},
        {base, "/x/y", "http://host/x/y"},
        {base, "//cdn/x.js", "http://cdn/x.js"},
        {"https://host/dir/page.html", "//cdn/x.js", "http://cdn/x.js"},
        {base, "HTTP://other/a/../b", "HTTP://other/b"},
        {base, "", "http://host/dir/"},
        {base, "data:text/plain,a/../b", "data:text/plain,a/../b"},
        {base, "DATA:x/./y", "DATA:x/./y"},
        {base, "x/..", "http://host/dir/x/.."},
        {"file://C:/site/index.htm", "pic.gif", "file://C:/site/pic.gif"},
    });
}

TEST(AddDomain, NormalisesEverySegmentButTheLast) {
    const std::string base = "http://host/dir/page.html";
    ExpectResolved({
        {base, "a//b", "http://host/dir/a//b"},
        {base, "a/./././b", "http://host/dir/a/b"},
        {base, "a/../../../../b", "http://host/b"},
        {base, "a/.", "http://host/dir/a/."},
        {base, "?q=1/../x", "http://host/dir/x"},
        {base, "#top", "http://host/dir/#top"},
        {base, "https://x/./y/../z", "https://x/z"},
        {base, "  http://x/a/../b", "  http://x/b"},
        {base, "http:/x/../y", "http://host/dir/http:/y"},
    });
}

TEST(AddDomain, BaseWithoutKnownSchemeGivesRootedLinks) {
    ExpectResolved({
        {"", "a.html", "/a.html"},
        {"about:history", "a/../b.html", "/a/b.html"}, // too few segments for ".." to act
        {"word", "/x", "/x"},
        {"", "/../x", "/x"},
        {"", "", "/"},
        {"ftp://host/dir/f", "g", "/g"},
    });
}

TEST(AddDomain, LongPathsAreLinear) {
    // 200 000 ".." segments must not take quadratic time or remove the host.
    std::string link;
    for (int i = 0; i < 200000; ++i)
        link += "../";
    link += "a";
    EXPECT_EQ(AddDomain("http://host/dir/page.html", link), "http://host/a");

    std::string deep;
    for (int i = 0; i < 500000; ++i)
        deep += "x/";
    EXPECT_EQ(AddDomain("http://host/", deep), "http://host/" + deep);
}

TEST(LinkScheme, SchemeAsWrittenOrNoneForRelativeLinks) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ftp://host/x", "ftp"},
        {"javascript:alert(1)", "javascript"},
        {" HTTPS://host/", "HTTPS"},
        {"view-source+x.1:y", "view-source+x.1"},
        {"a:", "a"},
        {"/a:b", ""},
        {"./a:b", ""},
        {"page.html?x=1:2", ""},
        {"1a:b", ""},
        {":x", ""},
        {"host", ""},
        {"", ""},
    };
    for (const auto& [link, expected] : cases)
        EXPECT_EQ(LinkScheme(link), expected) << "link: " << link;
}

TEST(SplitExts, CutsAtEveryBar) {
    const std::vector<std::pair<std::string, ExtensionList>> cases = {
        {"", {}},
        {"htm|html", {"htm", "html"}},
        {"png", {"png"}},
        {"a|", {"a"}},
        {"|a", {"", "a"}},
        {"||", {"", ""}},
        {"a||b", {"a", "", "b"}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(SplitExts(text), expected) << "text: " << text;
}

} // namespace
} // namespace qm
