// A form of a real page sent to a server in this process over the libcurl transport: the page
// is downloaded and laid out, its form block opened in the form editor, two fields filled,
// and what the server receives compared byte for byte for both methods and both encodings.

#include <httplib.h>

#include <gtest/gtest.h>

#include <mutex>

#include "base/codepage.h"
#include "forms/form_editor.h"
#include "forms/form_send.h"
#include "net/downloader.h"
#include "platform/curl_transport.h"
#include "state/browser.h"
#include "state/settings_file.h"
#include "support/fake_pump.h"
#include "support/local_server.h"
#include "view/render_fixture.h"

namespace qm {
namespace {

// Every kind of field; the page is Windows-1251 text.
std::string FormPage(const std::string& method) {
    return Utf8ToCp1251("<html><body><h1>Заказ</h1>\n<form method=" + method +
                        " action=\"/send#result\">\n"
                        "Имя: <input type=text name=name>\n"
                        "<input type=hidden name=token value=\"a+b&amp;c;d\">\n"
                        "<input type=hidden name=\"k#1\" value=v>\n"
                        "<input type=password name=pw>\n"
                        "<input type=checkbox name=gift checked> Gift\n"
                        "<input type=checkbox name=wrap value=yes> Wrap\n"
                        "<input type=radio name=size value=s> S\n"
                        "<input type=radio name=size value=m checked> M\n"
                        "<select name=color><option value=red>Red<option value=blue selected>"
                        "Blue</select>\n"
                        "<select name=city><option>Москва</option><option>Тверь</option>"
                        "</select>\n"
                        "<textarea name=note>first line\nsecond</textarea>\n"
                        "<input type=submit name=act value=Save>\n"
                        "<input type=submit name=act value=\"Save &amp; send\">\n"
                        "</form></body></html>");
}

struct Received {
    std::string method, target, body, referer, agent;
};

class NoHost : public GoActionHost {
  public:
    void PageReady() override { ++pages; }
    int pages = 0;
};

class FormSubmitHttp : public ::testing::Test {
  protected:
    void SetUp() override {
        for (std::string method : {"get", "post"})
            server->Get("/" + method + ".html",
                        [method](const httplib::Request&, httplib::Response& res) {
                            res.set_content(FormPage(method), "text/html; charset=windows-1251");
                        });
        const auto record = [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex);
            received.push_back({req.method, req.target, req.body, req.get_header_value("Referer"),
                                req.get_header_value("User-Agent")});
            res.set_content("<p>thanks</p>", "text/html");
        };
        server->Get("/send", record);
        server->Post("/send", record);
        ASSERT_TRUE(server.Start());
        downloader.Options().sendReferer = true;
    }

    // Downloads the page, lays it out and opens its form block in the editor.
    void OpenForm(const std::string& page) {
        downloader.StartDownload(server.Url(page), DownloadMode::Page);
        rig.browser.BaseURL = browser.State().BaseURL;
        rig.Show(browser.State().PageSource);
        for (const ViewObject& object : rig.view.ViewObjects)
            if (object.Kind == ViewObjectKind::Form) {
                editor.Open(object.Text, browser.State().BaseURL, browser.State().LanguageIndex);
                editor.Shown(browser.State(), browser.State().BaseURL);
                return;
            }
        FAIL() << "no form block on " << page;
    }

    void Fill(const std::string& name, const std::string& utf8Text) {
        for (size_t e = 0; e < editor.FormElements.size(); ++e)
            if (editor.FormElements[e].members[0].name == name)
                return editor.SetText(e, 0, Utf8ToCp1251(utf8Text));
        FAIL() << "no field " << name;
    }

    // Presses the submit button with this value and sends as the window does.
    void Submit(const std::string& value) {
        for (size_t e = 0; e < editor.FormElements.size(); ++e) {
            const FormMember& m = editor.FormElements[e].members[0];
            if (m.kind == FormKind::Button && m.value == value) {
                ASSERT_EQ(editor.SubmitClick(e, 0), AfterSubmit::SendNow);
                SendFormRequest(editor.Request(), DownloadMode::Page, browser, downloader, goAction,
                                host);
                editor.Closed(browser.State());
                return;
            }
        }
        FAIL() << "no button " << value;
    }

    Received Last() {
        std::lock_guard lock(mutex);
        return received.empty() ? Received{} : received.back();
    }

    testing::LocalServer server;
    testing::FakePump pump;
    Browser browser{pump};
    CurlTransport transport{pump, {}};
    Downloader downloader{browser, transport};
    NoHost host;
    GoAction goAction{browser, host, downloader};
    test::RenderRig rig{100, 2000};
    FormEditor editor;
    std::mutex mutex;
    std::vector<Received> received;
};

// The filled fields are the same on both pages; the other fields keep their page values.
const std::string kFields = "&token=a%2Bb%26c;d&k%231=v&pw=p%26w&gift=on&size=m&color=blue";

TEST_F(FormSubmitHttp, ServerReceivesExactlyTheFilledForm) {
    struct Case {
        const char* page;
        bool utf8;
        const char* button;
        std::string target; // as it arrives on the request line
        std::string body;
    };
    const Case cases[] = {
        {"/get.html", true, "Save & send",
         "/send?name=%D0%AF%20%D0%B4" + kFields +
             "&note=first%20line%0D%0Asecond&act=Save%20%26%20send",
         ""},
        {"/get.html", false, "Save & send",
         "/send?name=%DF%20%E4" + kFields + "&note=first%20line%0D%0Asecond&act=Save%20%26%20send",
         ""},
        {"/post.html", true, "Save", "/send",
         "name=\xD0\xAF \xD0\xB4" + kFields + "&note=first line\r\nsecond&act=Save"},
        {"/post.html", false, "Save", "/send",
         "name=\xDF \xE4" + kFields + "&note=first line\r\nsecond&act=Save"},
    };
    for (const Case& c : cases) {
        OpenForm(c.page);
        editor.EncodeUtf8 = c.utf8;
        Fill("name", "Я д");
        Fill("pw", "p&w");
        Submit(c.button);
        const Received got = Last();
        const std::string what = std::string(c.page) + (c.utf8 ? " utf8" : " cp1251");
        EXPECT_EQ(got.method, c.body.empty() ? "GET" : "POST") << what;
        EXPECT_EQ(got.target, c.target) << what;
        EXPECT_EQ(got.body, c.body) << what;
        EXPECT_EQ(got.referer, server.Url(c.page)) << what;
        EXPECT_EQ(browser.State().PageSource, "<p>thanks</p>") << what;
        EXPECT_EQ(browser.State().RefererURL, "") << what;
    }
    EXPECT_EQ(host.pages, 4);
    // The address bar holds the request as the editor built it.
    EXPECT_EQ(goAction.Address().Text, server.Url("/send"));
}

TEST_F(FormSubmitHttp, ALocalPageIsNoRefererAndTheUserAgentFromQmIniHasNoLineBreak) {
    browser.Downloads().userAgent = "UA/1\r\nX-Evil: 1";
    ApplySettingsText(browser, SettingsText(browser), [](const std::string& font) { return font; });
    OpenForm("/post.html");
    editor.Shown(browser.State(), "file:///home/me/form.html");
    Submit("Save");
    EXPECT_EQ(Last().referer, "");
    EXPECT_EQ(Last().agent, "UA/1  X-Evil: 1");
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
