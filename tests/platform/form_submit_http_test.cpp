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
                        "<input type=hidden name=token value=\"a+b\">\n"
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
    std::string method, target, body, referer;
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
            received.push_back({req.method, req.target, req.body, req.get_header_value("Referer")});
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
                SendFormRequest(editor.Request(), DownloadMode::Page, browser, downloader,
                                goAction, host);
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

const std::string kFields = "&token=a%2Bb&pw=p%26w&gift=on&size=m&color=blue";

TEST_F(FormSubmitHttp, GetSendsTheQueryOfTheFilledForm) {
    for (bool utf8 : {true, false}) {
        OpenForm("/get.html");
        editor.EncodeUtf8 = utf8;
        Fill("name", "Я д");
        Fill("pw", "p&w");
        Submit("Save & send");
        const std::string name = utf8 ? "%D0%AF%20%D0%B4" : "%DF%20%E4";
        const Received got = Last();
        EXPECT_EQ(got.method, "GET");
        EXPECT_EQ(got.target, "/send?name=" + name + kFields +
                                  "&note=first%20line%0D%0Asecond&act=Save%20%26%20send")
            << "utf8 " << utf8;
        EXPECT_EQ(got.referer, server.Url("/get.html"));
        EXPECT_EQ(browser.State().PageSource, "<p>thanks</p>");
        EXPECT_EQ(goAction.Address().Text, server.Url("/send?name=") +
                                               (utf8 ? "\xD0\xAF \xD0\xB4" : "\xDF \xE4") + kFields +
                                               "&note=first line\r\nsecond&act=Save %26 send");
        EXPECT_EQ(browser.State().RefererURL, "");
    }
    EXPECT_EQ(host.pages, 2);
}

TEST_F(FormSubmitHttp, PostSendsTheBodyOfTheFilledForm) {
    for (bool utf8 : {true, false}) {
        OpenForm("/post.html");
        editor.EncodeUtf8 = utf8;
        Fill("name", "Я д");
        Fill("pw", "p&w");
        Submit("Save");
        const std::string name = utf8 ? "\xD0\xAF \xD0\xB4" : "\xDF \xE4";
        const Received got = Last();
        EXPECT_EQ(got.method, "POST");
        EXPECT_EQ(got.target, "/send");
        EXPECT_EQ(got.body, "name=" + name + kFields + "&note=first line\r\nsecond&act=Save")
            << "utf8 " << utf8;
        EXPECT_EQ(browser.State().PageSource, "<p>thanks</p>");
    }
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
