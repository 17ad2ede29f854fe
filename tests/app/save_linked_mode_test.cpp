// quillmar --save-linked as a whole process against a server on 127.0.0.1: the files written,
// the JSON form, the exit status, and a rip of a whole site.

#include <httplib.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "support/local_server.h"
#include "support/program_process.h"

namespace {

namespace fs = std::filesystem;
using qm::testing::Finished;
using qm::testing::Process;

class SaveLinked : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = ::testing::TempDir() + "quillmar_rip_" + std::to_string(::getpid());
        fs::remove_all(folder_);
        server_->Get(".*", [](const httplib::Request& q, httplib::Response& r) {
            // The page's cookie must come with the requests for its files.
            if (q.path == "/") r.set_header("Set-Cookie", "session=ok; Path=/");
            if (q.path == "/a.png" && q.get_header_value("Cookie") != "session=ok") {
                r.status = 403;
                return;
            }
            if (q.path == "/")
                return r.set_content("<img src=\"a.png\"><img src=\"/gone.png\">"
                                     "<link rel=stylesheet href=\"s.css\"><a href=\"/b.html\">b</a>",
                                     "text/html");
            if (q.path == "/b.html")
                return r.set_content("<img src=\"/c.png\"><img src=\"a.png\">", "text/html");
            if (q.path.ends_with(".png") && q.path != "/gone.png")
                return r.set_content("PNG" + q.path, "image/png");
            if (q.path == "/s.css") return r.set_content("body{}", "text/css");
            r.status = 404;
        });
        ASSERT_TRUE(server_.Start());
    }
    void TearDown() override { fs::remove_all(folder_); }
    Finished Save(std::vector<std::string> args) {
        args.insert(args.begin(), {"--save-linked", folder_});
        args.push_back(server_.Url("/"));
        return Process(args).Wait();
    }

    std::string folder_;
    qm::testing::LocalServer server_;
};

TEST_F(SaveLinked, SavesThePageFilesAndSaysWhichFailed) {
    const Finished run = Save({"--format", "json"});
    EXPECT_EQ(run.status, 1) << run.err; // /gone.png
    EXPECT_EQ(qm::GetFileToString(folder_ + "/a.png"), "PNG/a.png");
    EXPECT_EQ(qm::GetFileToString(folder_ + "/s.css"), "body{}");
    EXPECT_FALSE(fs::exists(folder_ + "/gone.png"));
    EXPECT_NE(run.out.find("{\"address\":\"" + server_.Url("/a.png") + "\",\"file\":\"" + folder_ +
                           "/a.png\",\"status\":200,\"size\":9,\"saved\":true,\"why\":null}"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"status\":404,\"size\":null,\"saved\":false,\"why\":"),
              std::string::npos);
    EXPECT_NE(run.err.find("2 files, 15 bytes, 1 failed"), std::string::npos) << run.err;
}

TEST_F(SaveLinked, ASiteRipSavesEachFileOnceAndReplacesNothing) {
    fs::create_directories(folder_);
    { std::ofstream(folder_ + "/c.png") << "mine"; }
    const Finished run = Save({"--recursive", "--ext", "png"});
    EXPECT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(qm::GetFileToString(folder_ + "/c.png"), "mine");
    EXPECT_EQ(qm::GetFileToString(folder_ + "/c (2).png"), "PNG/c.png");
    EXPECT_EQ(qm::GetFileToString(folder_ + "/a.png"), "PNG/a.png");
    EXPECT_FALSE(fs::exists(folder_ + "/a (2).png")); // held by two pages, saved once
    EXPECT_FALSE(fs::exists(folder_ + "/s.css"));     // not a png
}

TEST_F(SaveLinked, BadArgumentsEndWithStatusTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--save-linked"},
          {"--save-linked", "--kinds", "media", server_.Url("/")},
          {"--save-linked", folder_, "--kinds", "photos", server_.Url("/")},
          {"--save-linked", folder_, "--layout", "tree", server_.Url("/")},
          {"--save-linked", folder_, "--parallel", "0", server_.Url("/")},
          {"--save-linked", folder_, "--state", "x.db", "--recursive", server_.Url("/")}}) {
        const Finished run = Process(args).Wait();
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_FALSE(run.err.empty());
    }
}

} // namespace
