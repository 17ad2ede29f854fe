#include "forms/form_parser.h"

#include <optional>
#include <unordered_map>

#include "base/ascii_case.h"
#include "base/trim.h"
#include "net/url.h"
#include "state/ui_strings.h"
#include "tools/attribute_text.h"
#include "tools/text_replace.h"
#include "view/tag_scanner.h"

namespace qm {
namespace {

constexpr int kUiSubmit = 95;
constexpr size_t npos = std::string::npos;

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string Amp(std::string_view text) {
    return ReplaceText(text, "&amp;", "&", ReplaceFlags::ReplaceAll);
}

// Whether a ">" closes the tag read so far, kept up to date character by character so that a
// long quoted value full of ">" is not read again at each one. It answers as the last
// attribute value of ParseTag would: a value that opens a quote it does not close holds the
// tag open.
class TagEndTracker {
  public:
    void Reset() { *this = TagEndTracker{}; }

    // c: the next character of the tag text after its "<"; k: its index in that text.
    void Add(char c, size_t k) {
        if (IsQuote(c)) quoted_ = !quoted_;
        if (c == ' ') {
            if (!quoted_) {
                split_ = k;
                eq_ = npos;
            }
            return;
        }
        if (c == '=' && eq_ == npos) eq_ = k;
        if (firstNonBlank_ == npos) firstNonBlank_ = k;
        lastNonBlank_ = k;
        splitAtLast_ = split_;
        eqAtLast_ = eq_;
    }

    // inner: the tag text after its "<", before the ">" just met.
    bool ValueStaysOpen(std::string_view inner) const {
        if (lastNonBlank_ == npos) return false;
        size_t end = lastNonBlank_ + 1;
        if (inner[lastNonBlank_] == '/') end = lastNonBlank_;
        if (splitAtLast_ == npos || splitAtLast_ < firstNonBlank_) return false;
        if (eqAtLast_ == npos || eqAtLast_ + 1 >= end) return false;
        const char first = inner[eqAtLast_ + 1];
        if (!IsQuote(first)) return false;
        return end - (eqAtLast_ + 1) == 1 || inner[end - 1] != first;
    }

  private:
    bool quoted_ = false;
    size_t split_ = npos;
    size_t eq_ = npos;
    size_t firstNonBlank_ = npos;
    size_t lastNonBlank_ = npos;
    size_t splitAtLast_ = npos;
    size_t eqAtLast_ = npos;
};

struct MemberRef {
    size_t element = 0;
    size_t member = 0;
};

class FormParser {
  public:
    FormParser(std::string_view source, const std::string& baseUrl, int languageIndex)
        : source_(source), baseUrl_(baseUrl), language_(languageIndex) {
        form_.address = baseUrl;
    }

    ParsedForm Run();

  private:
    void ReadOutside(size_t i);
    void ReadInTag(size_t i);
    void FlushText();
    void HandleTag(std::string_view inner, size_t lt, size_t gt);
    bool HandleControlTag(std::string_view name, size_t lt, size_t gt);
    void HandleForm();
    void HandleInput();
    void HandleOption(size_t gt);
    void HandleOptionEnd(size_t lt);
    void HandleTextareaEnd(size_t lt, size_t gt);
    bool EndsRawText(size_t i) const;
    const std::string* Attr(std::string_view name) const;
    std::string Read(std::string_view name) const;      // "&amp;" made "&"
    std::string Value() const;                          // VALUE, references decoded once
    std::string ReadUpper(std::string_view name) const; // trimmed, upper-cased, DeQuote'd
    bool Has(std::string_view name) const { return Attr(name) != nullptr; }
    void AddLine(std::string_view text) { form_.lines.push_back(DeAmper(text)); }
    void AddLabel(const std::string& text);
    MemberRef AddMember(std::optional<size_t> element, FormMember member);
    void Place(FormMember& member);
    std::optional<size_t> RadioGroup(const std::string& name) const;
    void StepSelect() { y_ += (lastHeight_ + FormColumn::kGap) / 2; }

    std::string_view source_;
    const std::string& baseUrl_;
    int language_;
    ParsedForm form_;
    TagAttributes attrs_;
    TagEndTracker tagEnd_;
    std::string text_; // plain text, or the tag text from its "<"
    bool inTag_ = false;
    bool inScript_ = false;
    bool inTextarea_ = false;
    std::string_view rawEnd_; // the closing tag that ends raw content, empty outside it
    size_t tagStart_ = 0;
    int32_t y_ = FormColumn::kLeft;
    int32_t lastHeight_ = 0;
    std::string selectName_;
    bool multiple_ = false;
    std::optional<MemberRef> option_;
    size_t optionTextStart_ = 0;
    struct Textarea {
        size_t lt = 0;
        size_t contentStart = 0;
        std::string name;
        bool disabled = false;
    };
    std::optional<Textarea> textarea_;
    std::unordered_map<std::string, size_t> radioGroups_;
    bool namedSubmit_ = false;
};

ParsedForm FormParser::Run() {
    for (size_t i = 0; i < source_.size(); ++i) {
        if (inTag_)
            ReadInTag(i);
        else
            ReadOutside(i);
    }
    if (inTag_) {
        if (!text_.empty()) AddLine(text_);
    } else {
        FlushText();
    }
    if (!namedSubmit_) {
        FormMember button;
        button.kind = FormKind::Button;
        button.value = UiString(kUiSubmit, language_);
        button.selected = true;
        button.enabled = true;
        AddMember(std::nullopt, std::move(button));
    }
    return std::move(form_);
}

// A line break (CR LF, CR or LF) ends a text line; a tab is a space between words.
void FormParser::ReadOutside(size_t i) {
    char c = source_[i];
    if (c == '\r' || c == '\n') {
        if (!(c == '\n' && i > 0 && source_[i - 1] == '\r')) FlushText();
        return;
    }
    if (c == '\t') c = ' ';
    if (static_cast<unsigned char>(c) < ' ') return;
    if (c == '<' && (rawEnd_.empty() || EndsRawText(i))) {
        FlushText();
        inTag_ = true;
        tagStart_ = i;
        tagEnd_.Reset();
    }
    text_.push_back(c);
}

// Inside a tag a line break (CR LF, CR or LF) or a tab is one space.
void FormParser::ReadInTag(size_t i) {
    char c = source_[i];
    if (c == '\r' && i + 1 < source_.size() && source_[i + 1] == '\n') return;
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    if (static_cast<unsigned char>(c) < ' ') return;
    const std::string_view inner = std::string_view(text_).substr(1);
    if (c == '>' && !tagEnd_.ValueStaysOpen(inner)) {
        HandleTag(inner, tagStart_, i);
        text_.clear();
        inTag_ = false;
        return;
    }
    tagEnd_.Add(c, inner.size());
    text_.push_back(c);
}

void FormParser::FlushText() {
    if (!text_.empty() && !inScript_ && !inTextarea_) {
        AddLine(text_);
        if (!TrimBlanks(text_).empty()) AddLabel(DeAmper(text_));
    }
    text_.clear();
}

// Inside TEXTAREA, SCRIPT and STYLE a "<" is content unless it opens the element's own closing
// tag: "1 < 2" in a textarea must not swallow its "</textarea>".
bool FormParser::EndsRawText(size_t i) const {
    if (!StartsWithNoCase(source_.substr(i), rawEnd_)) return false;
    const size_t next = i + rawEnd_.size();
    return next == source_.size() || static_cast<unsigned char>(source_[next]) <= ' ' ||
           source_[next] == '>' || source_[next] == '/';
}

const std::string* FormParser::Attr(std::string_view name) const {
    for (size_t i = attrs_.AttrNames.size(); i-- > 0;)
        if (attrs_.AttrNames[i] == name) return &attrs_.AttrValues[i];
    return nullptr;
}

std::string FormParser::Read(std::string_view name) const {
    const std::string* value = Attr(name);
    return value ? Amp(*value) : std::string();
}

// Decoded in one pass, so that "&amp;" followed by text and ";" stays an "&" of the value.
std::string FormParser::Value() const {
    const std::string* value = Attr("VALUE");
    return value ? DeAmper(DeQuote(*value)) : std::string();
}

std::string FormParser::ReadUpper(std::string_view name) const {
    const std::string* value = Attr(name);
    return value ? DeQuote(AsciiUpper(TrimBlanks(*value))) : std::string();
}

void FormParser::HandleTag(std::string_view inner, size_t lt, size_t gt) {
    const std::string name = AsciiUpper(inner.substr(0, inner.find(' ')));
    ParseTag(inner, attrs_);
    if (name == "SCRIPT") {
        inScript_ = true;
        rawEnd_ = "</SCRIPT";
    } else if (name == "/SCRIPT") {
        inScript_ = false;
        rawEnd_ = {};
    } else if (name == "STYLE" || name == "/STYLE") {
        rawEnd_ = name == "STYLE" ? "</STYLE" : "";
    } else if (name == "TEXTAREA") {
        inTextarea_ = true;
        rawEnd_ = "</TEXTAREA";
        textarea_ = Textarea{lt, gt + 1, Read("NAME"), Has("DISABLED")};
    } else if (HandleControlTag(name, lt, gt)) {
        AddLine(source_.substr(lt, gt + 1 - lt));
    }
}

// The tags that are copied to the form's lines; false for the others.
bool FormParser::HandleControlTag(std::string_view name, size_t lt, size_t gt) {
    if (name == "FORM") {
        HandleForm();
    } else if (name == "INPUT" || name == "BUTTON") {
        HandleInput();
    } else if (name == "SELECT") {
        selectName_ = Read("NAME");
        multiple_ = Has("MULTIPLE");
        StepSelect();
    } else if (name == "/SELECT") {
        multiple_ = false;
        StepSelect();
    } else if (name == "OPTION") {
        HandleOption(gt);
    } else if (name == "/OPTION") {
        HandleOptionEnd(lt);
    } else if (name == "/TEXTAREA") {
        HandleTextareaEnd(lt, gt);
        return false; // copied whole by HandleTextareaEnd
    } else {
        return name == "/FORM" || name == "/BUTTON" || name == "OPTGROUP" || name == "/OPTGROUP";
    }
    return true;
}

void FormParser::HandleForm() {
    form_.isPost = ReadUpper("METHOD") == "POST";
    if (std::string action = DeQuote(Read("ACTION")); !action.empty()) {
        std::string address = AddDomain(baseUrl_, action);
        form_.address = address.substr(0, address.find('#'));
    }
    if (std::string title = DeQuote(Read("TITLE")); !title.empty()) AddLabel(DeAmper(title));
}

void FormParser::HandleInput() {
    static const char* const kTextTypes[] = {
        "",         "EMAIL",          "URL",    "COLOR", "NUMBER", "RANGE", "DATE",
        "DATETIME", "DATETIME-LOCAL", "SEARCH", "TEL"};
    std::string type = ReadUpper("TYPE");
    for (const char* text : kTextTypes)
        if (type == text) type = "TEXT";
    const auto trimmed = [this](std::string_view attr) {
        const std::string* value = Attr(attr);
        return value ? DeQuote(TrimBlanks(*value)) : std::string();
    };
    if (std::string title = trimmed("TITLE"); !title.empty()) AddLabel(DeAmper(title));
    if (std::string hint = trimmed("PLACEHOLDER"); !hint.empty()) AddLabel(DeAmper(hint));

    FormMember member;
    member.name = DeQuote(Read("NAME"));
    if (member.name.empty()) return;
    member.value = Value();
    member.selected = true;
    member.enabled = !Has("DISABLED");
    if (type == "SUBMIT" || type == "IMAGE") {
        member.kind = FormKind::Button;
        form_.submitButtons.push_back(member.name + "=" + member.value);
        namedSubmit_ = true;
        AddMember(std::nullopt, std::move(member));
    } else if (type == "TEXT" || type == "PASSWORD" || type == "HIDDEN") {
        member.kind = FormKind::Edit;
        member.look = type == "TEXT"       ? EditLook::Plain
                      : type == "PASSWORD" ? EditLook::Password
                                           : EditLook::Hidden;
        AddMember(std::nullopt, std::move(member));
    } else if (type == "CHECKBOX" || type == "RADIO") {
        const bool radio = type == "RADIO";
        member.kind = radio ? FormKind::Radio : FormKind::Checkbox;
        if (member.value.empty()) member.value = "on";
        member.selected = Has("CHECKED");
        const std::optional<size_t> group = radio ? RadioGroup(member.name) : std::nullopt;
        AddMember(group, std::move(member));
    }
}

void FormParser::HandleOption(size_t gt) {
    FormMember member;
    member.name = DeQuote(selectName_);
    member.kind = multiple_ ? FormKind::Checkbox : FormKind::Radio;
    member.value = Value();
    member.selected = Has("SELECTED");
    member.enabled = !Has("DISABLED");
    const std::optional<size_t> group = multiple_ ? std::nullopt : RadioGroup(member.name);
    option_ = AddMember(group, std::move(member));
    optionTextStart_ = gt + 1;
}

// The option's text runs from its tag to the "<" of this one.
void FormParser::HandleOptionEnd(size_t lt) {
    if (!option_) return;
    FormMember& member = form_.elements[option_->element].members[option_->member];
    if (member.value.empty()) {
        member.value = DeAmper(source_.substr(optionTextStart_, lt - optionTextStart_));
        if (member.value.empty()) member.value = "on";
    }
    option_.reset();
}

void FormParser::HandleTextareaEnd(size_t lt, size_t gt) {
    inTextarea_ = false;
    rawEnd_ = {};
    if (!textarea_) {
        AddLine(source_.substr(lt, gt + 1 - lt));
        return;
    }
    AddLine(source_.substr(textarea_->lt, gt + 1 - textarea_->lt));
    FormMember memo;
    memo.kind = FormKind::Memo;
    memo.name = DeQuote(textarea_->name);
    const std::string_view content =
        source_.substr(textarea_->contentStart, lt - textarea_->contentStart);
    memo.value = CrLfLines(DeAmper(DeQuote(content)));
    memo.selected = true;
    memo.enabled = !textarea_->disabled;
    AddMember(std::nullopt, std::move(memo));
    textarea_.reset();
}

void FormParser::AddLabel(const std::string& text) {
    FormMember label;
    label.value = text;
    AddMember(std::nullopt, std::move(label));
}

std::optional<size_t> FormParser::RadioGroup(const std::string& name) const {
    auto found = radioGroups_.find(name);
    if (found == radioGroups_.end()) return std::nullopt;
    return found->second;
}

// Joins the given element, or starts a new one; radio members open their group.
MemberRef FormParser::AddMember(std::optional<size_t> element, FormMember member) {
    Place(member);
    if (!element) {
        element = form_.elements.size();
        form_.elements.emplace_back();
    }
    if (member.kind == FormKind::Radio) radioGroups_.try_emplace(member.name, *element);
    auto& members = form_.elements[*element].members;
    members.push_back(std::move(member));
    return MemberRef{*element, members.size() - 1};
}

void FormParser::Place(FormMember& member) {
    switch (member.kind) {
    case FormKind::Label:
        member.height = FormColumn::kLabelHeight;
        break;
    case FormKind::Edit:
        member.height = FormColumn::kEditHeight;
        break;
    case FormKind::Memo:
        member.height = FormColumn::kMemoHeight;
        break;
    case FormKind::Checkbox:
    case FormKind::Radio:
        member.height = FormColumn::kCheckHeight;
        break;
    case FormKind::Button:
        member.height = FormColumn::kButtonHeight;
        break;
    }
    member.top = y_;
    if (member.look == EditLook::Hidden) return;
    y_ += member.height + FormColumn::kGap;
    lastHeight_ = member.height;
}

} // namespace

ParsedForm ProcessForm(std::string_view source, const std::string& baseUrl, int languageIndex) {
    return FormParser(source, baseUrl, languageIndex).Run();
}

std::string CrLfLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

} // namespace qm
