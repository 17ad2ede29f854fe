// ProcessForm: what each kind of tag becomes, the quoting and line-break rules of tags, the
// column layout, the form's lines, and hostile sources that must stay linear.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "forms/form_parser.h"

namespace qm {
namespace {

constexpr int kEnglish = 1;
const std::string kBase = "http://site.example/dir/page.html";

const char* KindName(FormKind kind) {
    switch (kind) {
    case FormKind::Label:
        return "Label";
    case FormKind::Edit:
        return "Edit";
    case FormKind::Memo:
        return "Memo";
    case FormKind::Checkbox:
        return "Checkbox";
    case FormKind::Radio:
        return "Radio";
    case FormKind::Button:
        return "Button";
    }
    return "?";
}

// One element a string: its members as "Kind name=value", with "*" when selected and "!" when
// disabled (labels are neither, and show no flags), joined by " | ".
std::vector<std::string> Describe(const ParsedForm& form) {
    std::vector<std::string> out;
    for (const FormElement& element : form.elements) {
        std::string text;
        for (const FormMember& m : element.members) {
            if (!text.empty()) text += " | ";
            text += std::string(KindName(m.kind)) + " " + m.name + "=" + m.value;
            if (m.kind == FormKind::Label) continue;
            if (m.selected) text += "*";
            if (!m.enabled) text += "!";
        }
        out.push_back(text);
    }
    return out;
}

std::vector<std::string> Parse(const std::string& source) {
    return Describe(ProcessForm(source, kBase, kEnglish));
}

struct ElementCase {
    const char* what;
    std::string source;
    std::vector<std::string> expected;
};

TEST(FormParser, TagsBecomeTheElementsOfTheTable) {
    const std::string submit = "Button =Submit*";
    const ElementCase cases[] = {
        {"text field", "<input name=q value=abc>", {"Edit q=abc*", submit}},
        {"line break after the tag name is a space", "<input\r\nname=q>", {"Edit q=*", submit}},
        {"tab and lone LF inside a tag", "<input\tname=q\nvalue=1>", {"Edit q=1*", submit}},
        {"quoted > belongs to the value", "<input name=q value=\"a>b\">", {"Edit q=a>b*", submit}},
        {"apostrophes quote too", "<input name=q value='a>b'>", {"Edit q=a>b*", submit}},
        {"unnamed submit makes no button", "<input type=submit value=Go>", {submit}},
        {"named submit replaces the default",
         "<input type=submit name=go value=Go>",
         {"Button go=Go*"}},
        {"image is a submit", "<input type=IMAGE name=i value=x>", {"Button i=x*"}},
        {"submit without value", "<input type=submit name=go>", {"Button go=*"}},
        {"button without type is a text field", "<button name=b value=v>", {"Edit b=v*", submit}},
        {"mapped types are text",
         "<input type=email name=e><input type=\"Date\" name=d>",
         {"Edit e=*", "Edit d=*", submit}},
        {"unknown and unnamed types give nothing",
         "<input type=reset name=r><input type=file name=f><input value=x>",
         {submit}},
        {"radios of one name share an element",
         "<input type=radio name=r value=1><input type=radio name=r value=2 checked>",
         {"Radio r=1 | Radio r=2*", submit}},
        {"check boxes of one name stay apart",
         "<input type=checkbox name=c value=1><input type=checkbox name=c>",
         {"Checkbox c=1", "Checkbox c=on", submit}},
        {"disabled fields",
         "<input name=a disabled><input type=checkbox name=b checked disabled=x>",
         {"Edit a=*!", "Checkbox b=on*!", submit}},
        {"later attribute wins", "<input name=a name=b value=1 value=2>", {"Edit b=2*", submit}},
        {"references decoded in values",
         "<input name=\"a&amp;b\" value=\"&lt;x&amp;y\"><input type=checkbox name=c "
         "value=\"&quot;q&quot;\">",
         {"Edit a&b=<x&y*", "Checkbox c=\"q\"", submit}},
        {"single-choice select",
         "<select name=s><option>One</option><option value=2 selected>Two</option></select>",
         {"Radio s=One | Radio s=2*", "Label =One", "Label =Two", submit}},
        {"option text is raw up to the closing tag, whatever its length",
         "<select name=s><option>A&amp;B</option ><option></OPTION></select>",
         {"Radio s=A&B | Radio s=on", "Label =A&B", submit}},
        {"option without closing tag keeps an empty value",
         "<select name=s><option>One<option>Two</select>",
         {"Radio s= | Radio s=", "Label =One", "Label =Two", submit}},
        {"multiple select gives check boxes",
         "<select name=m multiple><option value=1 selected><option value=2 disabled></select>",
         {"Checkbox m=1*", "Checkbox m=2!", submit}},
        {"closing option without an option", "</option><input name=a>", {"Edit a=*", submit}},
        {"textarea content without its quotes",
         "<textarea name=t>\"quoted text\"</textarea>",
         {"Memo t=quoted text*", submit}},
        {"textarea line breaks become CR LF",
         "<textarea name=t>a\nb\rc\r\nd</textarea>",
         {"Memo t=a\r\nb\r\nc\r\nd*", submit}},
        {"disabled textarea, and a closing tag with no opening",
         "<textarea name=t disabled>x</textarea></textarea>",
         {"Memo t=x*!", submit}},
        {"text lines become labels",
         "Name:<input name=n>\r\nSecond\nThird &amp; last",
         {"Label =Name:", "Edit n=*", "Label =Second", "Label =Third & last", submit}},
        {"blank text makes no label", "  \r\n\t<input name=n>", {"Edit n=*", submit}},
        {"title and placeholder labels come first",
         "<input title=\"Your name\" placeholder='Ivan' name=n>",
         {"Label =Your name", "Label =Ivan", "Edit n=*", submit}},
        {"script text, tags in it included, is not shown",
         "<script>f('<input name=inner>'); if (a<b) g();\r\n</SCRIPT\n>after",
         {"Label =after", submit}},
        {"textarea and style text end only at their own closing tag, in any case",
         "<TEXTAREA name=t>1 < 2</textareax></TextArea >After<style>x<input name=s></style>",
         {"Memo t=1 < 2</textareax>*", "Label =After", "Label =x<input name=s>", submit}},
        {"every kind of value is decoded once",
         "<input name=a value=\"Tom &amp; Jerry; x\"><input type=checkbox name=c "
         "value=\"&amp;lt;\"><select name=s><option value=\"x&amp;y;z\"></select>",
         {"Edit a=Tom & Jerry; x*", "Checkbox c=&lt;", "Radio s=x&y;z", submit}},
        {"form title", "<form title=\"Log &amp;amp; in\">", {"Label =Log & in", submit}},
    };
    for (const ElementCase& c : cases)
        EXPECT_EQ(Parse(c.source), c.expected) << c.what << "\nsource: " << c.source;
}

TEST(FormParser, MethodAndActionOfTheFormTag) {
    struct Case {
        std::string tag;
        bool post;
        std::string address;
    };
    const Case cases[] = {
        {"<form method=post>", true, kBase},
        {"<form method='Post'>", true, kBase},
        {"<form method=\"POST\" action=\"send.php\">", true, "http://site.example/dir/send.php"},
        {"<form method=get action=/send#top>", false, "http://site.example/send"},
        {"<form method=put>", false, kBase},
        {"<form action='send?a=1&amp;b=2'>", false, "http://site.example/dir/send?a=1&b=2"},
        {"<form>", false, kBase},
    };
    for (const Case& c : cases) {
        ParsedForm form = ProcessForm(c.tag, kBase, kEnglish);
        EXPECT_EQ(form.isPost, c.post) << c.tag;
        EXPECT_EQ(form.address, c.address) << c.tag;
    }
}

TEST(FormParser, DefaultButtonIsInTheUiLanguage) {
    ParsedForm form = ProcessForm("<form>", kBase, 0);
    ASSERT_EQ(form.elements.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(form.elements[0].members[0].value), "Отправить");
}

TEST(FormParser, ControlsStandInOneColumn) {
    ParsedForm form = ProcessForm("Label<input name=a><input type=hidden name=h>"
                                  "<select name=s><option>1</option></select>"
                                  "<textarea name=t></textarea><input type=submit name=go>",
                                  kBase, kEnglish);
    std::vector<std::pair<int32_t, int32_t>> placed; // top, height
    for (const FormElement& e : form.elements)
        for (const FormMember& m : e.members)
            placed.emplace_back(m.top, m.height);
    // Label 15 at 5; edit 20 at 25; the hidden edit does not advance; the select steps half of
    // the last height and gap before and after its option's check box and caption; memo 100;
    // button 30.
    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {5, 15}, {25, 20}, {50, 20}, {62, 20}, {87, 15}, {117, 100}, {222, 30}};
    EXPECT_EQ(placed, expected);
}

TEST(FormParser, LinesShowRecognisedTagsTextAndUnterminatedTags) {
    ParsedForm form = ProcessForm("<form action=x><b>Bold</b>\r\n<input name=a>"
                                  "<textarea name=t>one\r\ntwo</textarea><input name=\"b",
                                  kBase, kEnglish);
    const std::vector<std::string> expected = {"<form action=x>", "Bold", "<input name=a>",
                                               "<textarea name=t>one\r\ntwo</textarea>",
                                               "<input name=\"b"};
    EXPECT_EQ(form.lines, expected);
    EXPECT_EQ(Describe(form), (std::vector<std::string>{"Label =Bold", "Edit a=*",
                                                        "Memo t=one\r\ntwo*", "Button =Submit*"}));
}

TEST(FormParser, HostileSourcesStayLinear) {
    std::string unclosedForms;
    for (int i = 0; i < 20000; ++i)
        unclosedForms += "<form>x\r\n";
    std::string longQuotedValue = "<input name=a value=\"" + std::string(300000, '>') + "\">";
    std::string bigSelect = "<select name=s>";
    std::string textareaEnds = "<textarea name=t>";
    for (int i = 0; i < 20000; ++i) {
        bigSelect += "<option>" + std::to_string(i) + "</option>";
        textareaEnds += "x</textarea>";
    }
    std::string optionEnds = "<select name=s><option>" + std::string(100000, 'y');
    for (int i = 0; i < 20000; ++i)
        optionEnds += "</option>";
    std::string radios;
    for (int i = 0; i < 20000; ++i)
        radios += "<input type=radio name=r" + std::to_string(i) + ">";

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ProcessForm(unclosedForms, kBase, kEnglish).elements.size(), 20001u);
    ParsedForm quoted = ProcessForm(longQuotedValue, kBase, kEnglish);
    EXPECT_EQ(quoted.elements[0].members[0].value.size(), 300000u);
    EXPECT_EQ(ProcessForm(bigSelect, kBase, kEnglish).elements[0].members.size(), 20000u);
    // One memo; the text after it is plain text again.
    EXPECT_EQ(ProcessForm(textareaEnds, kBase, kEnglish).elements.size(), 20001u);
    EXPECT_EQ(ProcessForm(optionEnds, kBase, kEnglish).elements[0].members[0].value.size(),
              100000u);
    EXPECT_EQ(ProcessForm(radios, kBase, kEnglish).elements.size(), 20001u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

} // namespace
} // namespace qm
