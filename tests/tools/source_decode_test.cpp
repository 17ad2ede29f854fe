#include <gtest/gtest.h>

#include "support/shown_bytes.h"

#include <memory>
#include <string>
#include <vector>

#include "state/browser_state.h"
#include "base/codepage.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

// Passes the bytes through an allocation of exactly their size, so that a read past the end
// is caught by the address sanitizer instead of landing on a string's terminator.
std::string ExactUtf8ToAnsi(std::string_view bytes, bool* errors) {
    auto buffer = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer.get());
    return Utf8ToAnsi(std::string_view(buffer.get(), bytes.size()), errors);
}

struct Utf8Case {
    const char* what;
    std::string input;
    std::string expected;
    bool errors;
};

TEST(Utf8ToAnsi, DecodesByTheLaxRules) {
    const std::vector<Utf8Case> cases = {
        {"empty", "", "", false},
        {"ascii", "plain <b>text</b>", "plain <b>text</b>", false},
        {"nul bytes pass", std::string("a\0b\0", 4), std::string("a\0b\0", 4), false},
        {"cyrillic", "\xD0\x9F\xD1\x80", "\xCF\xF0", false},
        {"capital and small yo", "\xD0\x81\xD1\x91", "\xA8\xB8", false},
        {"em dash, euro, numero", "\xE2\x80\x94\xE2\x82\xAC\xE2\x84\x96", "\x97\x88\xB9", false},
        {"unassigned 0x98 maps back", "\xC2\x98", "\x98", false},
        {"unmappable is not an error", "\xE4\xB8\xAD", "?", false},
        {"surrogate unit is unmappable", "\xED\xA0\x80", "?", false},
        {"overlong two-byte accepted", "\xC1\x81", "A", false},
        {"overlong nul accepted", "\xC0\x80", std::string(1, '\0'), false},
        {"overlong three-byte accepted", "\xE0\x81\x81", "A", false},
        {"stray continuation read as lead", "\x90\x81", "\xA8", false},
        {"bad continuation", "\xD0\x41", "?A", true},
        {"lead at end", "\xC3", "?", true},
        {"lead at end after text", "ab\xC3", "ab?", true},
        {"three-byte cut after two", "\xE2\x82", "??", true},
        {"three-byte with bad third", "\xE2\x82\x41", "??A", true},
        {"three-byte with bad second", "\xE2\x41\x42", "?AB", true},
        {"lone continuation", "\x80x", "?x", true},
        {"0xFF lead", "\xFF\x41", "?A", true},
        {"four-byte lead read as three-byte", "\xF0\x9F\x98\x80", "??", true},
        {"four-byte then text", "\xF0\x9F\x98\x80x", "??x", true},
        {"invalid between valid", "\xD0\x9F\xD0\xD1\x80", "\xCF?\xF0", true},
    };
    for (const auto& c : cases) {
        bool errors = !c.errors;
        const std::string actual = ExactUtf8ToAnsi(c.input, &errors);
        EXPECT_EQ(Shown(actual), Shown(c.expected)) << c.what << ": input " << Shown(c.input);
        EXPECT_EQ(errors, c.errors) << c.what << ": input " << Shown(c.input);
    }
}

TEST(Utf8ToAnsi, ErrorFlagIsClearedByEachConversion) {
    bool errors = false;
    Utf8ToAnsi("\xC3", &errors);
    EXPECT_TRUE(errors);
    Utf8ToAnsi("ok", &errors);
    EXPECT_FALSE(errors);
    Utf8ToAnsi("\xC3", &errors);
    Utf8ToAnsi("", &errors);
    EXPECT_FALSE(errors);
    EXPECT_EQ(Utf8ToAnsi("\xD0\x41"), "?A"); // the flag is optional
}

TEST(Utf8ToAnsi, EveryWindows1251ByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        bool errors = true;
        EXPECT_EQ(Shown(Utf8ToAnsi(Cp1251ToUtf8(one), &errors)), Shown(one));
        EXPECT_FALSE(errors) << Shown(one);
        all += one;
    }
    bool errors = true;
    EXPECT_EQ(Utf8ToAnsi(Cp1251ToUtf8(all), &errors), all);
    EXPECT_FALSE(errors);
}

TEST(Utf8ToAnsi, HostileShortInputsStayInBoundsAndNeverGrow) {
    // Every pair of bytes, then every sequence of up to four interesting bytes.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string in = {static_cast<char>(a), static_cast<char>(b)};
            const std::string out = ExactUtf8ToAnsi(in, nullptr);
            ASSERT_LE(out.size(), in.size()) << Shown(in);
            ASSERT_GE(out.size(), 1u) << Shown(in);
        }
    }
    const std::string interesting = "\x00\x41\x7F\x80\x9F\xA0\xBF\xC0\xC2\xDF\xE0\xEF\xF0\xFF";
    const std::string_view pool(interesting.data(), 14);
    std::vector<std::string> inputs = {""};
    for (int length = 1; length <= 4; ++length) {
        std::vector<std::string> longer;
        for (const auto& prefix : inputs)
            for (char c : pool)
                longer.push_back(prefix + c);
        for (const auto& in : longer) {
            const std::string out = ExactUtf8ToAnsi(in, nullptr);
            ASSERT_LE(out.size(), in.size()) << Shown(in);
        }
        inputs = std::move(longer);
    }
}

struct AmpCase {
    std::string name;
    std::string expected;
};

TEST(AmpToStr, NamedReferences) {
    // clang-format off
    const std::vector<AmpCase> cases = {
        {"nbsp", " "}, {"NBSP", " "}, {"Nbsp", " "}, {" nbsp\t", " "},
        {"shy", ""}, {"emsp", "  "}, {"ensp", " "}, {"ndash", "-"},
        {"mdash", "--"}, {"times", "*"}, {"divide", "/"}, {"lt", "<"},
        {"gt", ">"}, {"plusmn", "\xB1"}, {"sup2", "^2"}, {"not", "\xAC"},
        {"frac14", "1/4 "}, {"frac12", "1/2 "}, {"frac34", "3/4 "}, {"frasl", "/"},
        {"minus", "-"}, {"le", "<="}, {"ge", ">="}, {"quot", "\""},
        {"apos", "'"}, {"amp", "&"}, {"AmP", "&"}, {"laquo", "\xAB"},
        {"raquo", "\xBB"}, {"prime", "'"}, {"Prime", "''"}, {"PRIME", "?"},
        {"pRime", "?"}, {"lsquo", "`"}, {"rsquo", "'"}, {"ldquo", "\""},
        {"rdquo", "\""}, {"euro", "EUR"}, {"cent", "CENT"}, {"pound", "POUND"},
        {"curren", "\xA4"}, {"yen", "YEN"}, {"fnof", "FLORIN"}, {"copy", "\xA9"},
        {"reg", "\xAE"}, {"hellip", "?"}, {"rub", "?"}, {"", "?"},
        {"   ", "?"}, {"abcdefghijkl", "?"}, {"\xED\xE1\xF1\xEF", "?"},
        {std::string("nbsp\0", 5), " "}, {std::string("nb\0sp", 5), "?"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Shown(AmpToStr(c.name)), Shown(c.expected)) << "name " << Shown(c.name);
}

TEST(AmpToStr, NumericReferences) {
    const std::vector<AmpCase> cases = {
        {"#65", "A"},      {"#x41", "A"},     {"#X41", "A"},      {"#x6a", "j"},
        {"#0065", "A"},    {" #65 ", "A"},    {"#32", " "},       {"#127", "\x7F"},
        {"#31", "?"},      {"#0", "?"},       {"#34", "\""},      {"#39", "'"},
        {"#38", "&"},      {"#60", "<"},      {"#8220", "\""},    {"#8221", "\""},
        {"#8222", "\""},   {"#1040", "\xC0"}, {"#1103", "\xFF"},  {"#x410", "\xC0"},
        {"#1025", "\xA8"}, {"#1105", "\xB8"}, {"#1039", "?"},     {"#1104", "?"},
        {"#769", ""},      {"#173", ""},      {"#160", " "},      {"#8195", "  "},
        {"#8364", "EUR"},  {"#8381", "RUB"},  {"#402", "FLORIN"}, {"#8242", "'"},
        {"#8243", "''"},   {"#215", "*"},     {"#8470", "?"},     {"#128", "?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(AmpToStr(c.name)), Shown(c.expected)) << "name " << Shown(c.name);
}

TEST(AmpToStr, MalformedNumbersGiveQuestionMark) {
    // Numbers that wrap to a known code when cut to 32 bits must not decode.
    const std::vector<std::string> names = {
        "#",
        "#x",
        "#X",
        "#12a",
        "#-65",
        "#+65",
        "# 65",
        "#6 5",
        "#x4G",
        "#xx41",
        "#0x41",
        "#65;",
        "#99999999999",
        "#4294967361",
        "#x100000041",
        "##65",
        "#\xC0",
        std::string("#6\0", 3) + "5",
    };
    for (const auto& name : names)
        EXPECT_EQ(AmpToStr(name), "?") << "name " << Shown(name);
}

struct DecodeCase {
    const char* what;
    bool utf8;
    int language;
    std::string page;
    std::string report;
    std::string expected;
};

TEST(DecodeSite, BuildsDecodedSource) {
    const std::string notice = "UTF8 decoding error<br/><br>";
    const std::string noticeRu =
        "\xCE\xF8\xE8\xE1\xEA\xE0 \xE4\xE5\xEA\xEE\xE4\xE8\xF0\xEE\xE2\xE0\xED\xE8\xFF "
        "UTF8<br/><br>";
    const std::vector<DecodeCase> cases = {
        {"off keeps bytes", false, 1, "\xD0\x41\xCF\xF0", "", "\xD0\x41\xCF\xF0"},
        {"off keeps nul", false, 1, std::string("a\0b", 3), "", std::string("a\0b", 3)},
        {"off with report", false, 1, "page", "200 OK<br>",
         "200 OK<br>Charset: nothing declared; shown as windows-1251<br>page"},
        {"on decodes", true, 1, "\xD0\x9F\xD1\x80", "", "\xCF\xF0"},
        {"on with error", true, 1, "\xD0\x41", "", notice + "?A"},
        {"on with error, russian", true, 0, "\xC3", "", noticeRu + "?"},
        {"report and charset line before notice", true, 1, "\xC3", "R",
         "R<br>Charset: nothing declared, guess from the bytes iso-8859-5; shown as utf-8<br>"
         "<a href=\"about:charset?iso-8859-5\"></a><br>" +
             notice + "?"},
        {"unmappable gives no notice", true, 1, "\xE4\xB8\xAD", "", "?"},
        {"empty", true, 1, "", "", ""},
        {"empty with report", false, 1, "", "R", "R"},
    };
    for (const auto& c : cases) {
        BrowserState state;
        state.Utf8Decoding = c.utf8;
        state.LanguageIndex = c.language;
        state.PageSource = c.page;
        state.PageReport = c.report;
        state.RequestReport = "report of a later link test";
        state.DecodedSource = "stale";
        DecodeSite(state);
        EXPECT_EQ(Shown(state.DecodedSource), Shown(c.expected)) << c.what;
        EXPECT_EQ(state.PageSource, c.page) << c.what;
    }
}

TEST(DecodeSite, PreparePassDecodesOnlyWhenRequested) {
    BrowserState state;
    state.PageSource = "page";
    state.DecodedSource = "shortened by the last prepare pass";
    SourceDecodeState decode;

    EXPECT_FALSE(DecodeSiteIfNeeded(state, decode));
    EXPECT_EQ(state.DecodedSource, "shortened by the last prepare pass");

    RequestDecode(decode);
    EXPECT_TRUE(DecodeSiteIfNeeded(state, decode));
    EXPECT_EQ(state.DecodedSource, "page");
    EXPECT_FALSE(decode.NeedDecode);
    EXPECT_FALSE(DecodeSiteIfNeeded(state, decode));
}

TEST(Utf8Switch, TogglesAndNamesItsState) {
    BrowserState state;
    EXPECT_TRUE(ToggleUtf8Decoding(state));
    EXPECT_TRUE(state.Utf8Decoding);
    EXPECT_FALSE(ToggleUtf8Decoding(state));
    EXPECT_FALSE(state.Utf8Decoding);

    EXPECT_EQ(Utf8MenuCaption(true, 1), "UTF8: on");
    EXPECT_EQ(Utf8MenuCaption(false, 1), "UTF8: off");
    EXPECT_EQ(Utf8MenuCaption(true, 0), "UTF8: \xE2\xEA\xEB");
    EXPECT_EQ(Utf8MenuCaption(false, 0), "UTF8: \xE2\xFB\xEA\xEB");
}

} // namespace
} // namespace qm

namespace qm {
namespace {

// "Глава" in each charset, and what the program's own code page makes of it.
const std::string kWord1251 = "\xC3\xEB\xE0\xE2\xE0";
const std::string kWordKoi = "\xE7\xCC\xC1\xD7\xC1";
const std::string kWordUtf8 = "\xD0\x93\xD0\xBB\xD0\xB0\xD0\xB2\xD0\xB0";

TEST(DecodeSite, TheCharsetLineNamesEachSourceAndTheFollowedOneDecodes) {
    struct Case {
        const char* what;
        std::string contentType;
        std::string page;
        std::string line;  // without "Charset: " and the links after it
        std::string shown; // the page's text when the page's charset is followed
    };
    const std::string meta = "<meta charset=koi8-r>";
    const Case cases[] = {
        {"header", "text/html; charset=KOI8-R", kWordKoi, "header koi8-r; shown as koi8-r",
         kWord1251},
        {"byte-order mark", "", "\xEF\xBB\xBF" + kWordUtf8,
         "byte-order mark utf-8; shown as utf-8", kWord1251},
        {"meta", "text/html", meta + kWordKoi, "meta koi8-r; shown as koi8-r", meta + kWord1251},
        {"header and meta in conflict", "text/html; charset=utf-8", meta + kWordKoi,
         "header utf-8, meta koi8-r (conflict); shown as utf-8", meta + "?????"},
        {"unknown label", "text/html; charset=x-mac-cyrillic", kWord1251,
         "header x-mac-cyrillic (unknown), guess from the bytes windows-1251; shown as "
         "windows-1251",
         kWord1251},
        {"nothing declared, KOI8-R bytes", "text/html", kWordKoi + " " + kWordKoi,
         "nothing declared, guess from the bytes koi8-r; shown as koi8-r",
         kWord1251 + " " + kWord1251},
        {"nothing declared, ASCII", "", "plain", "nothing declared; shown as windows-1251",
         "plain"},
    };
    for (const Case& c : cases) {
        BrowserState state;
        state.PageContentType = c.contentType;
        state.PageSource = c.page;
        state.PageReport = "R<br>";
        state.FollowPageCharset = true;
        DecodeSite(state);
        const std::string& decoded = state.DecodedSource;
        const size_t line = decoded.find("Charset: ") + 9;
        EXPECT_EQ(decoded.substr(line, decoded.find("<br>", line) - line), c.line) << c.what;
        EXPECT_TRUE(decoded.ends_with("<br>" + c.shown)) << c.what << ": " << decoded;
        // Without following, the switch decides, as it always has; the line stays.
        state.FollowPageCharset = false;
        DecodeSite(state);
        EXPECT_TRUE(state.DecodedSource.ends_with("<br>" + c.page)) << c.what;
    }
}

TEST(DecodeSite, ALinkOfTheLineOrShiftF8ChoosesACharsetAndF8TakesTheSwitchBack) {
    BrowserState state;
    state.PageContentType = "text/html; charset=utf-8";
    state.PageSource = "<meta charset=koi8-r>" + kWordKoi;
    state.PageReport = "R<br>";
    DecodeSite(state);
    EXPECT_NE(state.DecodedSource.find("<a href=\"about:charset?utf-8\"></a><br>"
                                       "<a href=\"about:charset?koi8-r\"></a>"),
              std::string::npos);
    EXPECT_FALSE(ChoosePageCharset(state, "http://about:charset?koi8-r"));
    ASSERT_TRUE(ChoosePageCharset(state, "about:charset?koi8-r"));
    DecodeSite(state);
    EXPECT_TRUE(state.DecodedSource.ends_with(kWord1251));
    // Shift+F8 goes round the charsets the page names.
    ASSERT_TRUE(ChooseNextPageCharset(state));
    EXPECT_EQ(state.PageCharset, Charset::Utf8);
    ASSERT_TRUE(ChooseNextPageCharset(state));
    EXPECT_EQ(state.PageCharset, Charset::Koi8R);
    ToggleUtf8Decoding(state);
    EXPECT_FALSE(state.PageCharset);
    // A page that names nothing has nothing to go round.
    state.PageSource = "plain";
    state.PageContentType.clear();
    EXPECT_FALSE(ChooseNextPageCharset(state));
}

} // namespace
} // namespace qm
