#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/file_name.h"

namespace qm {
namespace {

TEST(GetFileNameByURL, LastSegmentMadeSafe) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://host/img/photo.jpg?w=100", "photo.jpg"},
        {"http://host/", "data"},
        {"http://host", "host"},
        {"http://host/a%20b.png", "a_20b.png"},
        {"http://host/page.html#top", "page.html#top"},
        {"http://host/dir/?x=/y/z", "data"},
        {"http://host/a:b*c\"d<e>f|g+h!i@j=k", "a_b_c_d_e_f_g_h_i_j_k"},
        {"http://host/a\\b", "a_b"},
        {"http://host/  spaced name.txt  ", "spaced name.txt"},
        {"http://host/   ", "data"},
        {"http://host/\t\r\n", "data"},
        {"http://host/a\tb\r\nc", "a_b__c"},
        {std::string("http://host/evil.sh\0.jpg", 24), "evil.sh_.jpg"},
        {"http://host/..", "data"},
        {"http://host/.", "data"},
        {"http://host/...", "..."},
        {"http://host/.hidden", ".hidden"},
        {"\xEF\xF0\xE8.txt", "\xEF\xF0\xE8.txt"},
        {"image/png", "png"},
        {"", "data"},
        {"?", "data"},
        {"/", "data"},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(GetFileNameByURL(address), expected) << "address: " << address;
}

TEST(GetFileNameByURL, KeepsTheFirstHundredCharacters) {
    const std::string segment(150, 'n');
    EXPECT_EQ(GetFileNameByURL("http://host/" + segment), std::string(100, 'n'));
    EXPECT_EQ(CompleteExtension(GetFileNameByURL("http://host/" + segment), "image/png"),
              std::string(100, 'n') + ".png");
    // A megabyte of path costs one pass.
    EXPECT_EQ(GetFileNameByURL("http://host/" + std::string(1 << 20, '/') + segment),
              std::string(100, 'n'));
}

struct CompletionCase {
    std::string name;
    std::string type;
    std::string expected;
};

TEST(CompleteExtension, AppendsThePreferredExtensionWhenMissing) {
    const std::vector<CompletionCase> cases = {
        {"pic", "image/png", "pic.png"},
        {"pic.PNG", "image/png", "pic.PNG"},
        {"a.png.png", "image/png", "a.png.png"},
        {"x.jpg.gif", "image/jpeg", "x.jpg.gif.jpg"},
        {"x.JPEG", "image/pjpeg", "x.JPEG"},
        {"song.mpga", "audio/mpeg", "song.mpga"},
        {"song", "audio/mpeg", "song.mp2"},
        {"png", "image/png", "png.png"},
        {"pic.", "image/png", "pic..png"},
        {"pic", "image/png; q=1", "pic"},
        {"page", "text/html", "page"},
        {"file", "", "file"},
        {"", "image/png", ".png"},
        {"archive.Z", "application/x-compress", "archive.Z"},
    };
    for (const CompletionCase& c : cases)
        EXPECT_EQ(CompleteExtension(c.name, c.type), c.expected)
            << "name: " << c.name << "\ntype: " << c.type;
}

TEST(NumberedFileName, NumberBeforeTheExtensionCutToTheLimitAtACharacterBoundary) {
    const auto times = [](size_t count, const std::string& text) {
        std::string out;
        while (count--)
            out += text;
        return out;
    };
    const std::string numero = "\xE2\x84\x96", a = "a", e = "e", hi = "\xB9"; // hi is "№"
    struct Case {
        std::string name; // program text
        int number;
        std::string expected; // UTF-8
    };
    const std::vector<Case> cases = {
        {"index.html", 2, "index (2).html"},
        {"README", 3, "README (3)"},
        {"archive.tar.gz", 10, "archive.tar (10).gz"},
        {times(300, a) + ".png", 2, times(247, a) + " (2).png"},
        {times(100, hi), 1, times(85, numero)},
        {times(100, hi) + ".png", 1, times(83, numero) + ".png"},
        {times(100, hi), 10, times(83, numero) + " (10)"},
        {times(150, "\xDF") + ".txt", 1, times(125, "\xD0\xAF") + ".txt"},
        // A long extension stays while some of the name stays beside it; else the end goes.
        {times(100, a) + "." + times(200, e), 1, times(54, a) + "." + times(200, e)},
        {a + "." + times(300, e), 2, a + "." + times(249, e) + " (2)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberedFileName(FileSystemName(c.name), c.number), c.expected)
            << "name: " << c.name << "\nnumber: " << c.number;
}

} // namespace
} // namespace qm
