#include <gtest/gtest.h>

#include "support/shown_bytes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "tools/charset_evidence.h"
#include "tools/charsets.h"

namespace qm {
namespace {

using C = Charset;

// Russian text written as UTF-8 here, in a single-byte charset through the inverse of its
// table (a character the charset lacks becomes "?").
std::string Encode(std::string_view utf8, Charset charset) {
    std::string out;
    for (size_t pos = 0; pos < utf8.size();) {
        const char32_t code = NextUtf8(utf8, pos);
        char byte = '?';
        for (int b = 0; b < 256; ++b)
            if (SingleByteToUnicode(charset, static_cast<unsigned char>(b)) == code) {
                byte = static_cast<char>(b);
                break;
            }
        out.push_back(byte);
    }
    return out;
}

std::string Name(std::optional<Charset> charset) {
    return charset ? std::string(NameOfCharset(*charset)) : "none";
}

TEST(CharsetFromLabel, ReadsTheLabelsOfPagesAndServers) {
    const std::vector<std::pair<std::string, std::optional<Charset>>> cases = {
        {"cp1251", C::Windows1251},
        {" \t\"UTF-8\"\r\n", C::Utf8},
        {"' utf8 '", C::Utf8},
        {"KOI8_R", C::Koi8R},
        {"koi8", C::Koi8R},
        {"koi8-ru", C::Koi8U},
        {"866", C::Cp866},
        {"iso_8859-5", C::Iso88595},
        {"Cyrillic", C::Iso88595},
        {"utf-16", C::Utf16LE},
        {"UTF-16BE", C::Utf16BE},
        {"", std::nullopt},
        {"\"utf-8'", std::nullopt},
        {"utf-8;", std::nullopt},
        {"iso-8859-1", std::nullopt},
    };
    for (const auto& [label, expected] : cases)
        EXPECT_EQ(Name(CharsetFromLabel(label)), Name(expected)) << Shown(label);
    for (int i = 0; i < kCharsetCount; ++i) {
        const auto charset = static_cast<Charset>(i);
        EXPECT_EQ(CharsetFromLabel(NameOfCharset(charset)), charset) << NameOfCharset(charset);
    }
}

struct DecodeRow {
    const char* what;
    Charset charset;
    std::string bytes;
    std::string expected;
    bool errors;
};

TEST(DecodeToCp1251, MapsEachCharsetToWindows1251) {
    const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2"; // "Привет" in Windows-1251
    const std::vector<DecodeRow> cases = {
        {"1251 unchanged", C::Windows1251, std::string("\xCF\x98\0x", 4),
         std::string("\xCF\x98\0x", 4), false},
        {"koi8-r word", C::Koi8R, "\xF0\xD2\xC9\xD7\xC5\xD4", privet, false},
        {"koi8-r alphabet", C::Koi8R,
         "\xC1\xC2\xD7\xC7\xC4\xC5\xD6\xDA\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0"
         "\xD2\xD3\xD4\xD5\xC6\xC8\xC3\xDE\xDB\xDD\xDF\xD9\xD8\xDC\xC0\xD1"
         "\xE1\xE2\xF7\xE7\xE4\xE5\xF6\xFA\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0"
         "\xF2\xF3\xF4\xF5\xE6\xE8\xE3\xFE\xFB\xFD\xFF\xF9\xF8\xFC\xE0\xF1",
         "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
         "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF"
         "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
         "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF",
         false},
        {"koi8-r yo, nbsp, copyright", C::Koi8R, "\xA3\xB3\x9A\xBF", "\xB8\xA8\xA0\xA9", false},
        {"koi8-r box lines are not in 1251", C::Koi8R, "\x80\xA4\xAD<", "?\x3F?<", false},
        {"koi8-u ukrainian letters", C::Koi8U, "\xA4\xA6\xA7\xAD\xB4\xB6\xB7\xBD",
         "\xBA\xB3\xBF\xB4\xAA\xB2\xAF\xA5", false},
        {"koi8-u keeps the other box lines", C::Koi8U, "\xA5\xAE\xF0", "??\xCF", false},
        {"866 word, yo, shade", C::Cp866, "\x8F\xE0\xA8\xA2\xA5\xE2\xF0\xF1\xB0",
         privet + "\xA8\xB8?", false},
        {"iso-8859-5 word", C::Iso88595, "\xBF\xE0\xD8\xD2\xD5\xE2", privet, false},
        {"iso-8859-5 edges", C::Iso88595, "\xA0\xA1\xAD\xB0\xEF\xF0\xF1\xFD\xFF\x85",
         "\xA0\xA8\xAD\xC0\xFF\xB9\xB8\xA7\x9F?", false},
        {"utf-8", C::Utf8, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", privet, false},
        {"utf-8 mark dropped", C::Utf8, "\xEF\xBB\xBFok", "ok", false},
        {"utf-8 errors as Utf8ToAnsi", C::Utf8, "\xD0\x41\xE4\xB8\xAD", "?A?", true},
        {"utf-16le", C::Utf16LE, std::string("\x1F\x04\x40\x04x\0", 6), "\xCF\xF0x", false},
        {"utf-16le mark dropped", C::Utf16LE, std::string("\xFF\xFE\x01\x04", 4), "\xA8", false},
        {"utf-16be mark dropped", C::Utf16BE, std::string("\xFE\xFF\x04\x1F\0x", 6), "\xCFx",
         false},
        {"mark of the other order kept", C::Utf16BE, std::string("\xFF\xFE\0x", 4), "?x", false},
        {"mark only at the start", C::Utf16LE, std::string("x\0\xFF\xFE", 4), "x?", false},
        {"cjk is unmappable", C::Utf16LE, "\x2D\x4E", "?", false},
        {"surrogate pair is one character", C::Utf16LE, std::string("\x3D\xD8\x00\xDEy\0", 6), "?y",
         false},
        {"lone high surrogate", C::Utf16LE, std::string("\x3D\xD8\x41\0", 4), "?A", true},
        {"high surrogate at the end", C::Utf16BE, "\xD8\x3D", "?", true},
        {"lone low surrogate", C::Utf16BE, std::string("\xDE\x00\x00z", 4), "?z", true},
        {"odd last byte", C::Utf16LE, std::string("A\0B", 3), "A?", true},
        {"one byte", C::Utf16BE, "\xFE", "?", true},
        {"empty", C::Utf16LE, "", "", false},
    };
    for (const DecodeRow& c : cases) {
        // An allocation of exactly the input's size, so that a read past it is caught.
        auto buffer = std::make_unique<char[]>(c.bytes.size());
        std::copy(c.bytes.begin(), c.bytes.end(), buffer.get());
        bool errors = !c.errors;
        const std::string actual =
            DecodeToCp1251(std::string_view(buffer.get(), c.bytes.size()), c.charset, &errors);
        EXPECT_EQ(Shown(actual), Shown(c.expected)) << c.what;
        EXPECT_EQ(errors, c.errors) << c.what;
    }
}

TEST(HeaderCharsetLabel, TakesTheFirstCharsetParameter) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"text/html", ""},
        {"text/html; Charset=UTF-8", "UTF-8"},
        {"text/html;charset = \"koi8-r\" ", "koi8-r"},
        {"text/html; charset=\"a\\\"b\"", "a\"b"},
        {"text/html; charset=cp1251 ; q=1", "cp1251"},
        {"text/html; foo=\"x;charset=bad\"; charset=good", "good"},
        {"text/html; charset=first; charset=second", "first"},
        {"text/html; mycharset=x; charset=y", "y"},
        {"text/html; charset; charset=z", "z"},
        {"text/html; charset", ""},
        {"text/html; charset=\"unclosed", "unclosed"},
    };
    for (const auto& [contentType, expected] : cases)
        EXPECT_EQ(HeaderCharsetLabel(contentType), expected) << contentType;
}

TEST(MetaCharsetLabel, FindsTheFirstMetaThatGivesALabel) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<head><meta charset=koi8-r></head>", "koi8-r"},
        {"<META CHARSET = 'Windows-1251'/>", "Windows-1251"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">", "koi8-r"},
        {"<meta content='text/html;charset=\"cp866\"' http-equiv=CONTENT-TYPE>", "cp866"},
        {"<meta http-equiv=content-type content=\"charsetx; charset = 'x-cp1251'\">", "x-cp1251"},
        {"<meta content=\"text/html; charset=koi8-r\"><meta charset=utf-8>", "utf-8"},
        {"<meta http-equiv=refresh content=\"0; charset=koi8-r\">", ""},
        {"<meta charset=koi8-r charset=utf-8>", "koi8-r"},
        {"<meta charset=\"\"><meta charset=utf-8>", "utf-8"},
        {"<meta charset=nonsense><meta charset=utf-8>", "nonsense"},
        {"<meta name=x><meta/charset=utf-8>", "utf-8"},
        {"<!-- <meta charset=koi8-r> --><meta charset=utf-8>", "utf-8"},
        {"<!--><meta charset=koi8-r>", "koi8-r"},
        {"<!-- <meta charset=koi8-r>", ""},
        {"<title a=\"<meta charset=koi8-r>\"><meta charset=utf-8>", "utf-8"},
        {"<body><meta charset=koi8-r>", ""},
        {"<bodyx><meta charset=koi8-r>", "koi8-r"},
        {"<metacharset=koi8-r>", ""},
        {"<meta charset=koi8-r", ""},
        {"<meta charset=\"koi8-r", ""},
        {std::string(64 * 1024 - 17, ' ') + "<meta charset=koi8-r>", ""},
    };
    for (const auto& [page, expected] : cases)
        EXPECT_EQ(MetaCharsetLabel(page), expected) << page.substr(0, 80);
}

TEST(MetaCharsetLabel, HostilePagesFinish) {
    const size_t size = 10 << 20;
    std::string manyMetas;
    for (int i = 0; i < 100000; ++i)
        manyMetas += "<meta ";
    const std::vector<std::string> pages = {
        "<meta name=" + std::string(size, 'a') + " charset=utf-8>",
        manyMetas + "charset=utf-8>",
        "<meta content=\"" + std::string(size, '\''),
        "<meta http-equiv=content-type content=\"" + std::string(size / 7, 'c') + "charset",
        std::string(size, '<'),
        "<!--" + std::string(size, '-'),
    };
    for (const std::string& page : pages)
        EXPECT_EQ(MetaCharsetLabel(page), "");
}

const char kRussian[] = "В чащах юга жил бы цитрус? Да, но фальшивый экземпляр! Широкая "
                        "электрификация южных губерний даст мощный толчок подъёму хозяйства.";

TEST(GuessCharset, ReadsTheBytesAlone) {
    const std::string utf8Word = "\xD0\x9F\xD1\x80\xD0\xB8"; // "При"
    // A two-byte sequence that the 1 MiB sample cuts in half.
    std::string cutByLimit = utf8Word + std::string((1 << 20) - utf8Word.size() - 1, 'a');
    cutByLimit += "\xD0\xB8";
    const std::vector<std::pair<std::string, std::optional<Charset>>> cases = {
        {"", std::nullopt},
        {"plain <b>ascii</b>", std::nullopt},
        {Encode(kRussian, C::Windows1251), C::Windows1251},
        {Encode(kRussian, C::Koi8R), C::Koi8R},
        {Encode(kRussian, C::Cp866), C::Cp866},
        {Encode(kRussian, C::Iso88595), C::Iso88595},
        {Encode("<p>Привет</p>", C::Windows1251), C::Windows1251},
        {Encode("Привет", C::Koi8R), C::Koi8R},
        {Encode("ЗАГОЛОВОК СТРАНИЦЫ", C::Windows1251), C::Windows1251},
        {Encode("Ще не вмерла України і слава, і воля, ще нам, браття молодії", C::Koi8U),
         C::Koi8R},
        {"Copyright \xA9 2024", C::Windows1251},
        {kRussian, C::Utf8},
        {cutByLimit, C::Utf8},
        {cutByLimit + "\xFF", C::Utf8}, // past the sample
    };
    for (const auto& [page, expected] : cases)
        EXPECT_EQ(Name(GuessCharset(page)), Name(expected)) << Shown(page.substr(0, 60));
    const std::vector<std::string> notUtf8 = {
        cutByLimit.substr(0, cutByLimit.size() - 1), // cut by the end of the page
        utf8Word + "\xC0\x80",                       // overlong
        utf8Word + "\xED\xA0\x80",                   // surrogate
        utf8Word + "\xF4\x90\x80\x80",               // beyond U+10FFFF
    };
    for (const std::string& page : notUtf8)
        EXPECT_NE(Name(GuessCharset(page)), "utf-8") << Shown(page.substr(page.size() - 8));
}

struct EvidenceRow {
    const char* what;
    std::string contentType;
    std::string page;
    std::optional<Charset> chosen;
    bool conflict;
    std::vector<Charset> named;
};

TEST(GatherCharsetEvidence, WeighsHeaderMarkMetaAndGuess) {
    using enum Charset;
    const std::string koi8 = Encode(kRussian, Koi8R);
    const std::string koi8Meta = "<meta charset=koi8-r>" + koi8;
    const std::string ascii = "<html><p>hello</p>";
    const std::string httpEquiv = "<meta http-equiv=content-type content='a;charset=cyrillic'>";
    const std::string type = "text/html; charset=";
    const std::string cp1251 = type + "cp1251";
    const std::vector<EvidenceRow> cases = {
        {"header only", type + "KOI8-R", ascii, Koi8R, false, {Koi8R}},
        {"mark only", "", std::string("\xFF\xFE<\0", 4), Utf16LE, false, {Utf16LE}},
        {"meta only", "text/html", "<meta charset='cp866'>", Cp866, false, {Cp866}},
        {"meta http-equiv", "", httpEquiv, Iso88595, false, {Iso88595}},
        {"header over meta", type + "utf-8", koi8Meta, Utf8, true, {Utf8, Koi8R}},
        {"mark over header", cp1251, "\xEF\xBB\xBF", Utf8, true, {Utf8, Windows1251}},
        {"two labels", cp1251, "<meta charset=x-cp1251>", Windows1251, false, {Windows1251}},
        {"utf-16 meta read as ascii", "", "<meta charset=utf-16>", Utf8, false, {Utf8}},
        {"unknown labels", type + "x-mac", "<meta charset=x>" + koi8, Koi8R, false, {Koi8R}},
        {"nothing declared, utf-8", "", kRussian, Utf8, false, {Utf8}},
        {"nothing declared, koi8-r", "", koi8, Koi8R, false, {Koi8R}},
        {"nothing declared, ascii", "", ascii, std::nullopt, false, {}},
    };
    for (const EvidenceRow& c : cases) {
        const CharsetEvidence evidence = GatherCharsetEvidence(c.contentType, c.page);
        EXPECT_EQ(Name(evidence.Chosen()), Name(c.chosen)) << c.what;
        EXPECT_EQ(evidence.Conflict(), c.conflict) << c.what;
        EXPECT_EQ(evidence.Named(), c.named) << c.what;
    }
}

} // namespace
} // namespace qm
