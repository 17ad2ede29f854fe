#include "net/data_uri.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "state/ui_strings.h"
#include "base/interfaces.h"
#include "support/file_size_limit.h"
#include "support/shown_bytes.h"

namespace qm {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

std::string B64(const std::string& text) {
    std::string out;
    DecodeB64(text, out);
    return out;
}

TEST(DecodeB64, DecodesUpToTheFirstCharacterOutsideTheAlphabet) {
    ExpectDecodes(B64, {
                           {"", ""},
                           {"SGVsbG8=", "Hello"},
                           {"SGk=", "Hi"},
                           {"TWFu", "Man"},
                           {"QQ", "A"},
                           {"Q", ""},
                           {"AAA=", "\0\0"s},
                           {"+/+/", "\xFB\xFF\xBF"},
                           {"SGVs bG8", "Hel"},
                           {"SGVs\r\nbG8", "Hel"},
                           {"SGk=SGk=", "Hi"},
                           {"SGk-_w", "Hi"},
                           {"SG\0k="s, "\x48"},
                       });
}

TEST(DecodeB64, AppendsToTheOutput) {
    std::string out = "x";
    DecodeB64("QQ==", out);
    EXPECT_EQ(out, "xA");
}

TEST(GetDataType, TypeBetweenTheSchemeAndTheFirstCommaOrSemicolon) {
    ExpectDecodes(GetDataType, {
                                   {"data:image/png;base64,iVBOR", "image/png"},
                                   {"  \tDATA:text/plain,hi", "text/plain"},
                                   {"Data:a;b;c,d", "a"},
                                   {"data:x,y;z", "x"},
                                   {"data:,Hello", ""},
                                   {"data:text/plain", ""},
                                   {"data:", ""},
                                   {"dat", ""},
                                   {"", ""},
                                   {"http://host/a,b", ""},
                                   {"xdata:a,b", ""},
                               });
}

TEST(DataPayload, Base64MarkerThenCommaThenASpace) {
    ExpectDecodes(DataPayload, {
                                   {"data:,Hello%20World", "Hello World"},
                                   {"data:text/plain;base64,SGk=", "Hi"},
                                   {"data:;BaSe64,SGk=", "Hi"},
                                   {"data:a,b,c%2", "b,c%2"},
                                   {"data:", " "},
                                   {"", " "},
                                   {"data:text/plain;base64", " "},
                               });
}

TEST(DataFileName, TypeMadeAFileNameWithThePreferredExtension) {
    ExpectDecodes(DataFileName, {
                                    {"data:,Hello", "datafile"},
                                    {"data:", "datafile"},
                                    {"data:text/plain;base64,SGk=", "plain"},
                                    {"data:image/png;base64,", "png.png"},
                                    {"data:image/jpeg,x", "jpeg.jpg"},
                                    {"data:..,x", "data"},
                                    {"data:a:b*c,x", "a_b_c"},
                                });
}

// Answers the save dialog with a fixed path and records what it was asked.
class FakeDialogs : public Dialogs {
  public:
    std::string answer;
    int asked = 0;
    std::string title, filter, suggested;

    std::string AskOpenFile(const std::string&, const std::string&) override { return {}; }
    std::string AskSaveFile(const std::string& t, const std::string& f,
                            const std::string& s) override {
        ++asked;
        title = t;
        filter = f;
        suggested = s;
        return answer;
    }
    bool AskColour(uint32_t&) override { return false; }
};

class DoSaveData64Test : public testing::Test {
  protected:
    void SetUp() override {
        folder = (fs::temp_directory_path() /
                  ("qm_data_uri_" + std::to_string(::getpid()) + "_" +
                   testing::UnitTest::GetInstance()->current_test_info()->name()))
                     .string();
        fs::remove_all(folder);
        fs::create_directories(folder);
        folder += "/";
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string folder;
    FakeDialogs dialogs;
};

std::string Numeros(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += "\xE2\x84\x96";
    return text;
}

TEST_F(DoSaveData64Test, SavesIntoTheFolderWithoutAsking) {
    struct Case {
        std::string uri, name, content;
    };
    const std::vector<Case> cases = {
        {"data:,Hello%20World", "datafile", "Hello World"},
        {"data:text/plain;base64,SGk=", "plain", "Hi"},
        {"data:image/png;base64,iVBORw==", "png.png", "\x89PNG"},
        // A taken name is never replaced: the next free one is.
        {"data:", "datafile (2)", " "},
        {"data:,%00%FF", "datafile (3)", "\0\xFF"s},
        // 100 "№" make 300 bytes of UTF-8, more than a name may have.
        {"data:" + std::string(100, '\xB9') + ",x", Numeros(85), "x"},
        {"data:" + std::string(100, '\xB9') + ",y", Numeros(83) + " (2)", "y"},
    };
    for (const auto& c : cases) {
        auto saved = DoSaveData64(c.uri, folder, dialogs, 1);
        ASSERT_TRUE(saved.has_value()) << c.uri;
        EXPECT_EQ(*saved, folder + c.name) << c.uri;
        EXPECT_EQ(Shown(GetFileToString(folder + c.name)), Shown(c.content)) << c.uri;
    }
    EXPECT_EQ(dialogs.asked, 0);
}

TEST_F(DoSaveData64Test, FolderWithoutTrailingSlashIsJoined) {
    std::string bare = folder.substr(0, folder.size() - 1);
    EXPECT_EQ(DoSaveData64("data:,x", bare, dialogs, 1), folder + "datafile");
    EXPECT_EQ(GetFileToString(folder + "datafile"), "x");
}

TEST_F(DoSaveData64Test, WithoutFolderAsksAndWritesWhereTheDialogSays) {
    dialogs.answer = folder + "chosen.bin";
    auto saved = DoSaveData64("data:image/png;base64,SGk=", "", dialogs, 0);
    EXPECT_EQ(saved, dialogs.answer);
    EXPECT_EQ(GetFileToString(dialogs.answer), "Hi");
    EXPECT_EQ(dialogs.asked, 1);
    EXPECT_EQ(dialogs.title, UiString(150, 0));
    EXPECT_EQ(dialogs.filter, UiString(44, 0));
    EXPECT_EQ(dialogs.suggested, "png.png");
}

TEST_F(DoSaveData64Test, CancellingTheDialogWritesNothing) {
    dialogs.answer = "";
    EXPECT_FALSE(DoSaveData64("data:,x", "", dialogs, 1).has_value());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(DoSaveData64Test, MissingFolderRaisesAnError) {
    const std::string path = folder + "missing/datafile";
    for (int language : {0, 1}) {
        try {
            DoSaveData64("data:,x", folder + "missing/", dialogs, language);
            ADD_FAILURE() << "no error, language " << language;
        } catch (const DataSaveError& error) {
            EXPECT_EQ(error.what(), UiString(257, language) + path) << "language " << language;
        }
    }
    EXPECT_EQ(UiString(257, 1), "Cannot create file ");
}

TEST_F(DoSaveData64Test, FailedWriteLeavesTheOlderFileIntact) {
    ASSERT_TRUE(WriteFileAtomically(folder + "datafile", "older file"));
    std::string uri = "data:," + std::string(100000, 'x');
    {
        test::FileSizeLimit limit(4096);
        EXPECT_THROW(DoSaveData64(uri, folder, dialogs, 1), DataSaveError);
    }
    EXPECT_EQ(GetFileToString(folder + "datafile"), "older file");
    // No temporary file is left behind either.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

} // namespace
} // namespace qm
