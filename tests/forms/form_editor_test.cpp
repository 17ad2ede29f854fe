// The form editor without a window: filling a parsed form, building its request for each
// method and button, the UTF-8 switch, radio groups, and the link and program texts.

#include <gtest/gtest.h>

#include <string>

#include "forms/form_editor.h"

namespace qm {
namespace {

constexpr int kEnglish = 1;
const std::string kBase = "http://site.example/dir/page.html";

// Finds the member by name (or by value for nameless buttons).
struct Filled {
    FormEditor editor;
    explicit Filled(const std::string& source) { editor.Open(source, kBase, kEnglish); }
    std::pair<size_t, size_t> At(const std::string& name, const std::string& value = {}) {
        for (size_t e = 0; e < editor.FormElements.size(); ++e)
            for (size_t m = 0; m < editor.FormElements[e].members.size(); ++m) {
                const FormMember& member = editor.FormElements[e].members[m];
                if (member.kind != FormKind::Label && member.name == name &&
                    (value.empty() || member.value == value))
                    return {e, m};
            }
        ADD_FAILURE() << "no member " << name << "=" << value;
        return {0, 0};
    }
    void Type(const std::string& name, const std::string& text) {
        auto [e, m] = At(name);
        editor.SetText(e, m, text);
    }
    AfterSubmit Press(const std::string& name, const std::string& value = {}) {
        auto [e, m] = At(name, value);
        return editor.SubmitClick(e, m);
    }
};

TEST(FormEditor, FixParamEncodesOnlyItsFourCharacters) {
    EXPECT_EQ(FixParam("100% a&b+c#d =?/"), "100%25 a%26b%2Bc%23d =?/");
    EXPECT_EQ(FixParam("%26"), "%2526");
    EXPECT_EQ(FixParam("\xDF\xE0"), "\xDF\xE0");
}

TEST(FormEditor, GetQueryReplacesTheOldOneAndEndsWithThePressedButton) {
    Filled form("<form action=/find?old=1><input name=a><input name=b>"
                "<input type=submit name=go value=OK><input type=submit name=go value=More>");
    form.Type("a", "x y");
    form.Type("b", "1+1&2");
    EXPECT_EQ(form.Press("go", "OK"), AfterSubmit::SendNow);
    EXPECT_EQ(form.editor.Address, "http://site.example/find?a=x y&b=1%2B1%262&go=OK");
    EXPECT_EQ(form.editor.PostData, "");
    form.Press("go", "More");
    EXPECT_EQ(form.editor.Address, "http://site.example/find?a=x y&b=1%2B1%262&go=More");
    EXPECT_FALSE(form.editor.Request().isPost);
}

TEST(FormEditor, WhatTakesPart) {
    struct Case {
        const char* what;
        std::string fields;
        std::string query;
    };
    const Case cases[] = {
        {"disabled and unchecked fields are left out",
         "<input name=a value=1 disabled><input type=checkbox name=c value=1>"
         "<input type=checkbox name=d checked><input name=e value=2>",
         "d=on&e=2"},
        {"radio group and selects send their chosen members",
         "<input type=radio name=r value=1><input type=radio name=r value=2 checked>"
         "<select name=s><option>one</option><option selected>two</option></select>"
         "<select name=n><option>x</option></select>"
         "<select name=m multiple><option value=a selected><option value=b selected></select>",
         "r=2&s=two&m=a&m=b"},
        {"hidden, password and memo fields",
         "<input type=hidden name=h value=\"#1\">"
         "<input type=password name=p value=s3>"
         "<textarea name=t>l1\nl2</textarea>",
         "h=%231&p=s3&t=l1\r\nl2"},
        {"names are encoded like values, = too", "<input name=\"a b&amp;c=d#e\" value=1>",
         "a b%26c%3Dd%23e=1"},
        {"nothing to send", "<input value=unnamed><input name=x disabled>", ""},
    };
    for (const Case& c : cases) {
        Filled get("<form action=/go>" + c.fields);
        get.editor.ConstructRequest("");
        const std::string expected =
            "http://site.example/go" + (c.query.empty() ? "" : "?" + c.query);
        EXPECT_EQ(get.editor.Address, expected) << c.what;
        Filled post("<form method=post action=/go>" + c.fields);
        post.editor.ConstructRequest("");
        EXPECT_EQ(post.editor.PostData, c.query) << c.what;
        EXPECT_EQ(post.editor.Address, "http://site.example/go") << c.what;
    }
}

TEST(FormEditor, GetWithNothingToSendKeepsTheEarlierQuery) {
    Filled form("<form action=/go><input name=a value=1>");
    form.Press("", "Submit");
    EXPECT_EQ(form.editor.Address, "http://site.example/go?a=1");
    form.editor.FormElements[0].members[0].enabled = false;
    form.Press("", "Submit");
    EXPECT_EQ(form.editor.Address, "http://site.example/go?a=1");
}

TEST(FormEditor, AdvancedModeWaitsAndTheRadioButtonsChooseTheMethod) {
    Filled form("<form action=/go><input name=a value=1>");
    form.editor.Advanced = true;
    form.editor.SendAsPost = true;
    EXPECT_EQ(form.Press("", "Submit"), AfterSubmit::WaitForUser);
    const FormRequest request = form.editor.Request();
    EXPECT_EQ(request.address, "http://site.example/go?a=1");
    EXPECT_TRUE(request.isPost);
    EXPECT_EQ(request.postData, "");
}

TEST(FormEditor, RadioClickUnchecksTheRestOfItsGroupOnly) {
    Filled form("<input type=radio name=r value=1 checked><input type=radio name=r value=2>"
                "<input type=radio name=r value=3 disabled><input type=checkbox name=c>");
    auto [e, two] = form.At("r", "2");
    form.editor.CheckBoxClick(e, two);
    const auto& group = form.editor.FormElements[e].members;
    EXPECT_FALSE(group[0].selected);
    EXPECT_TRUE(group[1].selected);
    form.editor.CheckBoxClick(e, 2); // disabled: nothing changes
    EXPECT_TRUE(group[1].selected);
    EXPECT_FALSE(group[2].selected);
    auto [c, m] = form.At("c");
    form.editor.CheckBoxClick(c, m); // check boxes toggle by themselves
    EXPECT_FALSE(form.editor.FormElements[c].members[m].selected);
}

TEST(FormEditor, OpeningParsesAfreshAndReparseKeepsPostData) {
    FormEditor editor;
    editor.Open("<form method=post action=/a><input type=submit name=x>"
                "<input type=submit name=y>",
                kBase, kEnglish);
    editor.PostData = "typed";
    editor.SubmitIndex = 1;
    editor.Advanced = true;
    editor.ProcessForm(kBase, kEnglish);
    EXPECT_EQ(editor.PostData, "typed");
    EXPECT_EQ(editor.SubmitIndex, 1);
    EXPECT_TRUE(editor.SendAsPost);
    editor.Open("<form><input type=submit name=z>", kBase, kEnglish);
    EXPECT_EQ(editor.PostData, "");
    EXPECT_FALSE(editor.Advanced);
    EXPECT_FALSE(editor.SendAsPost);
    EXPECT_EQ(editor.SubmitIndex, 0); // the remembered item is past the end
    EXPECT_EQ(editor.Address, kBase);
}

TEST(FormEditor, LinkAndProgramTexts) {
    const FormRequest get{"http://h.example/s?q=1", false, "ignored"};
    const FormRequest post{"http://h.example/s?old=1", true, "u=a&p=b"};
    EXPECT_EQ(RequestAsLink(get), "http://h.example/s?q=1");
    EXPECT_EQ(RequestAsLink(post), "http://h.example/s??u=a&p=b");
    EXPECT_EQ(DataSendingProgram("http://h.example/form.html", post),
              (std::vector<std::string>{"SETBASEURL \"http://h.example/form.html\"",
                                        "GO \"http://h.example/s??u=a&p=b\""}));
    // A line break of a memo would end the program line.
    const FormRequest memo{"http://h.example/s", true, "t=a\r\nb"};
    EXPECT_EQ(DataSendingProgram("", memo)[1], "GO \"http://h.example/s??t=a%0D%0Ab\"");
}

} // namespace
} // namespace qm
