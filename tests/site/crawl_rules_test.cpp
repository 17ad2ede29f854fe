// The rules a site check decides by: robots.txt, the scope of the crawl, Retry-After, and
// the JSON text of its report.

#include <gtest/gtest.h>

#include "site/crawl_page.h"
#include "site/crawl_scope.h"
#include "site/link_report.h"
#include "site/retry_after.h"
#include "site/robots_rules.h"

namespace {

using namespace qm;

TEST(RobotsRules, TheLongestRuleOfTheRightGroupDecides) {
    struct Case {
        const char* robots;
        const char* path;
        bool allowed;
    };
    const Case cases[] = {
        {"User-agent: *\nDisallow: /private/\n", "/private/x.html", false},
        {"User-agent: *\nDisallow: /private/\n", "/privately.html", true},
        {"User-agent: *\nDisallow: /\nAllow: /public/\n", "/public/a", true},
        {"User-agent: *\nDisallow: /a\nAllow: /a\n", "/a", true}, // a tie goes to Allow
        {"User-agent: *\nDisallow: /*.pdf$\n", "/x/y.pdf", false},
        {"User-agent: *\nDisallow: /*.pdf$\n", "/x/y.pdf?z", true},
        {"User-agent: *\nDisallow: /a*b*c\n", "/axxbyyc/d", false},
        {"User-agent: *\nDisallow:\n", "/anything", true},
        {"User-agent: *\nDisallow: /\n", "/robots.txt", true},
        // The program's own group wins over "*"; agents listed together share their rules.
        {"User-agent: *\nDisallow: /\n\nUser-agent: Quillmar/2\nDisallow: /x\n", "/y", true},
        {"User-agent: other\nUser-agent: quillmar\nDisallow: /x # why\n", "/x/1", false},
        {"User-agent: other\nDisallow: /\n", "/", true},
        {"user-agent : *\r\ndisallow : /p\r\n", "/p", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RobotsRules::Parse(c.robots).Allows(c.path), c.allowed)
            << c.robots << " / " << c.path;
    EXPECT_FALSE(RobotsRules::DisallowAll().Allows("/index.html"));
    EXPECT_EQ(RobotsPath("http://h:8/a/b?c#d"), "/a/b?c");
    EXPECT_EQ(RobotsPath("http://h?q"), "/?q");
    EXPECT_EQ(RobotsPath("https://h"), "/");
}

TEST(RobotsRules, AHostileFileStaysLinear) {
    const std::string robots = "User-agent: *\nDisallow: /" + std::string(20000, '*') + "z\n";
    EXPECT_TRUE(RobotsRules::Parse(robots).Allows("/" + std::string(20000, 'a')));
}

TEST(CrawlScope, HostPrefixAndAddress) {
    struct Case {
        ScopeKind kind;
        const char* start;
        const char* given;
        const char* address;
        bool in;
    };
    const Case cases[] = {
        {ScopeKind::Host, "http://Site.org/a/b.html", "", "https://site.ORG/z", true},
        {ScopeKind::Host, "http://site.org/", "", "http://other.org/", false},
        {ScopeKind::Host, "http://site.org:8080/", "", "http://site.org:8081/", false},
        {ScopeKind::Host, "http://site.org:80/", "", "https://site.org:443/", true},
        {ScopeKind::Host, "http://site.org/", "", "mailto:a@site.org", false},
        {ScopeKind::Prefix, "http://site.org/a/b.html?x=/y/", "", "http://SITE.org/a/c", true},
        {ScopeKind::Prefix, "http://site.org/a/b.html", "", "http://site.org/b/c", false},
        {ScopeKind::Prefix, "http://site.org", "", "http://site.org/x", true},
        {ScopeKind::Address, "http://site.org/", "http://site.org/doc/", "http://site.org/doc/1", true},
        {ScopeKind::Address, "http://site.org/", "http://site.org/doc/", "http://site.org/Doc/1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InScope(MakeScope(c.kind, c.start, c.given), c.address), c.in)
            << c.start << " " << c.given << " " << c.address;
    EXPECT_EQ(HostKey("HTTPS://Site.org/x"), "site.org:443");
    EXPECT_EQ(HostKey("http://site.org:8080"), "site.org:8080");
}

TEST(RetryAfter, SecondsOrAnHttpDate) {
    const std::time_t now = 1445412480; // Wed, 21 Oct 2015 07:28:00 GMT
    EXPECT_EQ(RetryAfterSeconds(" 5 ", now), 5);
    EXPECT_EQ(RetryAfterSeconds("Wed, 21 Oct 2015 07:28:30 GMT", now), 30);
    EXPECT_EQ(RetryAfterSeconds("Wed, 21 Oct 2015 07:00:00 GMT", now), 0);
    for (const char* bad : {"", "soon", "-1", "Wed, 21 Foo 2015 07:28:30 GMT", "5s"})
        EXPECT_EQ(RetryAfterSeconds(bad, now), -1) << bad;
}

TEST(CrawlPage, WhatIsAPageAndWhetherItsLinksAreFollowed) {
    EXPECT_TRUE(MayBePage("text/html; charset=utf-8"));
    EXPECT_TRUE(MayBePage("Application/XHTML+XML"));
    EXPECT_TRUE(MayBePage(""));
    EXPECT_FALSE(MayBePage("image/png"));
    EXPECT_TRUE(LooksBinary(std::string("GIF89a\0\0", 8)));
    EXPECT_TRUE(ForbidsFollowing("<head><META NAME='Robots' CONTENT='NOFOLLOW'></head>"));
    EXPECT_TRUE(ForbidsFollowing("<meta name=robots content=none>"));
    EXPECT_FALSE(ForbidsFollowing("<meta name=\"robots\" content=\"noindex\">"));
    EXPECT_FALSE(ForbidsFollowing("<meta name=\"googlebot\" content=\"nofollow\"><meta"));
}

TEST(LinkReport, JsonTextIsEscapedUtf8) {
    EXPECT_EQ(JsonString("a\"b\\c\x01\t"), "\"a\\\"b\\\\c\\u0001\\u0009\"");
    EXPECT_EQ(JsonString("\xCF\xF0\xE8"), "\"\xD0\x9F\xD1\x80\xD0\xB8\""); // "При"
}

} // namespace
