#include "tools/text_decoders.h"

#include <random>

#include <gtest/gtest.h>

#include "tools/attribute_text.h"
#include "net/data_uri.h"

#include "support/shown_bytes.h"

namespace qm {
namespace {

using namespace std::string_literals;

TEST(HTTPDecod, DecodesWellFormedEscapes) {
    ExpectDecodes(HTTPDecod, {
                                 {"", ""},
                                 {"plain", "plain"},
                                 {"a%20b", "a b"},
                                 {"%41%4a%4A", "AJJ"},
                                 {"%%", "%"},
                                 {"100%%", "100%"},
                                 {"%%41", "%41"},
                                 {"%00", "\0"s},
                                 {"%D0%90", "\xD0\x90"},
                             });
}

TEST(HTTPDecod, AnyMalformedEscapeReturnsTheInput) {
    ExpectDecodes(HTTPDecod, {
                                 {"%", "%"},
                                 {"a%", "a%"},
                                 {"a%2", "a%2"},
                                 {"%zz", "%zz"},
                                 {"%2z", "%2z"},
                                 {"ok%20then%zz", "ok%20then%zz"},
                                 {"%u", "%u"},
                                 {"%u041", "%u041"},
                                 {"%u041x", "%u041x"},
                                 {"%20%u04", "%20%u04"},
                                 {"%\0"s + "1", "%\0"s + "1"},
                             });
}

TEST(HTTPDecod, UnicodeEscapesOfCyrillicLettersBecomeUtf8) {
    ExpectDecodes(HTTPDecod, {
                                 {"%u0451", "\xD1\x91"},
                                 {"%u0401", "\xD0\x81"},
                                 {"%u0410%u043F", "\xD0\x90\xD0\xBF"},
                                 {"%u0440%u044F", "\xD1\x80\xD1\x8F"},
                                 {"%U0430", "\xD0\xB0"},
                                 {"%u00e9", "%u00e9"},
                                 {"%U0041", "%u0041"},
                                 {"%u0450", "%u0450"},
                                 {"%u0400x", "%u0400x"},
                             });
}

TEST(HTTPDecod, NulBytesAreCopiedLikeOtherBytes) {
    ExpectDecodes(HTTPDecod, {{"a\0%41"s, "a\0A"s}, {"\0"s, "\0"s}});
}

TEST(DecodeURL, Utf8ModeConvertsOnlyValidUtf8) {
    auto shown = [](const std::string& a) { return DecodeURL(a, true); };
    ExpectDecodes(shown, {
                             {"%D0%90", "\xC0"},
                             {"%u0410", "\xC0"},
                             {"a%D0%9F%D1%80", "a\xCF\xF0"},
                             {"%D0A", "\xD0"
                                      "A"},
                             {"\xC0", "\xC0"},
                             {"%zz%D0%90", "%zz%D0%90"},
                             {"", ""},
                         });
}

TEST(DecodeURL, WithoutUtf8ModeOrRawOnlyPercentCodesAreDecoded) {
    EXPECT_EQ(DecodeURL("%D0%90", false), "\xD0\x90");
    EXPECT_EQ(DecodeURL("%D0%90", true, UrlDecoding::Raw), "\xD0\x90");
    EXPECT_EQ(DecodeURL("%zz", false), "%zz");
}

TEST(ProcDecode, DecodesWhatItCanAndCopiesTheRest) {
    ExpectDecodes(ProcDecode, {
                                  {"", ""},
                                  {"%41%4", "A%4"},
                                  {"%zz", "%zz"},
                                  {"%", "%"},
                                  {"100%", "100%"},
                                  {"%%41", "%A"},
                                  {"%00", "\0"s},
                                  {"%ff%C0", "\xFF\xC0"},
                                  {"%u0041", "A"},
                                  {"%U0041", "A"},
                                  {"%u041", "%u041"},
                                  {"%u00zz", "%u00zz"},
                                  {"%u", "%u"},
                                  {"a\0%20b"s, "a\0 b"s},
                              });
}

TEST(ProcDecode, UnicodeEscapeIsOneCodeUnitInWindows1251) {
    ExpectDecodes(ProcDecode, {
                                  {"%u0410%u044F", "\xC0\xFF"},
                                  {"%u0401%u0451", "\xA8\xB8"},
                                  {"%u20AC", "\x88"},
                                  {"%u00e9", "?"},
                                  {"%u00A0", "\xA0"},
                                  {"%u4E2D", "?"},
                                  {"%uD83D%uDE00", "??"},
                                  {"%u0000", ""},
                                  {"a%u0000b", "ab"},
                              });
}

TEST(SlashDecode, DecodesTheEscapesOfTheTable) {
    ExpectDecodes(SlashDecode, {
                                   {"", ""},
                                   {R"(\')", "'"},
                                   {R"(\")", "\""},
                                   {R"(\\)", "\\"},
                                   {R"(\/)", "/"},
                                   {R"(a\nb)", "a\r\nb"},
                                   {R"(a\rb)", "ab"},
                                   {R"(a\tb)", "a b"},
                                   {R"(\b\f\v)", ""},
                                   {R"(\x41\x6a)", "Aj"},
                                   {R"(\x00)", "\0"s},
                                   {R"(\u0026)", "&"},
                                   {R"(\u0410)", "\xC0"},
                                   {R"(\u0000x)", "x"},
                                   {R"(\u4E2D)", "?"},
                                   {R"(\\n)", "\\n"},
                               });
}

TEST(SlashDecode, MalformedEscapesAreCopied) {
    ExpectDecodes(SlashDecode, {
                                   {R"(\)", "\\"},
                                   {R"(a\)", "a\\"},
                                   {R"(\q)", "\\q"},
                                   {R"(\%41)", "\\%41"},
                                   {R"(\x)", "\\x"},
                                   {R"(\x4)", "\\x4"},
                                   {R"(\xzz)", "\\xzz"},
                                   {R"(\x\x41)", "\\xA"},
                                   {R"(\u)", "\\u"},
                                   {R"(\u041)", "\\u041"},
                                   {R"(\u041\n)", "\\u041\r\n"},
                                   {R"(\\\)", "\\\\"},
                                   {"\\\0"s, "\\\0"s},
                               });
}

TEST(GetStringCodes, EncodesAllButUnreservedCharacters) {
    ExpectDecodes(GetStringCodes, {
                                      {"", ""},
                                      {"a b/c", "a%20b%2Fc"},
                                      {"AZaz09-._", "AZaz09-._"},
                                      {"~+&=%", "%7E%2B%26%3D%25"},
                                      {"\0\xFF"s, "%00%FF"},
                                      {"\xD0\x90", "%D0%90"},
                                  });
}

TEST(Decoders, ProcDecodeUndoesGetStringCodes) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    EXPECT_EQ(ProcDecode(GetStringCodes(all)), all);
    EXPECT_EQ(HTTPDecod(GetStringCodes(all)), all);
}

// Short texts dense in escape starts, cut anywhere: under the sanitizers this catches reads
// past the end; the size checks catch escapes that consume too little.
TEST(Decoders, HostileFragmentsNeverGrowOrOverrun) {
    std::mt19937 random(20);
    const std::string pieces = "%\\&;uUx0479aAfFz\r\n\"' "s + "\0\xC0\xD0\xFF"s;
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 16, ' ');
        for (char& c : text)
            c = pieces[random() % pieces.size()];
        const std::string shown = Shown(text);
        EXPECT_LE(HTTPDecod(text).size(), text.size()) << shown;
        EXPECT_LE(DecodeURL(text, true).size(), text.size()) << shown;
        EXPECT_LE(ProcDecode(text).size(), text.size()) << shown;
        EXPECT_LE(SlashDecode(text).size(), text.size()) << shown;
        EXPECT_EQ(ProcDecode(GetStringCodes(text)), text) << shown;
        std::string decoded;
        DecodeB64(text, decoded);
        EXPECT_LE(decoded.size(), text.size() * 3 / 4) << shown;
        DeAmper(text);
        DeQuote(text);
        GetDataType("data:" + text);
        DataPayload("data:" + text);
    }
}

} // namespace
} // namespace qm
