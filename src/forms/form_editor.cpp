#include "forms/form_editor.h"

#include "base/codepage.h"
#include "forms/form_parser.h"

namespace qm {

void FormEditor::Open(const std::string& formSource, const std::string& baseUrl,
                      int languageIndex) {
    Address.clear();
    PostData.clear();
    FormSource = formSource;
    Advanced = false;
    ProcessForm(baseUrl, languageIndex);
}

void FormEditor::ProcessForm(const std::string& baseUrl, int languageIndex) {
    const int remembered = SubmitIndex < 0 ? 0 : SubmitIndex;
    ParsedForm form = qm::ProcessForm(FormSource, baseUrl, languageIndex);
    FormElements = std::move(form.elements);
    FormIsPost = form.isPost;
    SendAsPost = form.isPost;
    Address = std::move(form.address);
    Lines = std::move(form.lines);
    SubmitButtons = std::move(form.submitButtons);
    if (SubmitButtons.empty())
        SubmitIndex = -1;
    else
        SubmitIndex = remembered < static_cast<int>(SubmitButtons.size()) ? remembered : 0;
}

void FormEditor::Shown(BrowserState& state, const std::string& url) {
    state.RefererURL = url;
    FormEditorURL = url;
}

FormMember* FormEditor::Member(size_t element, size_t member) {
    if (element >= FormElements.size()) return nullptr;
    auto& members = FormElements[element].members;
    return member < members.size() ? &members[member] : nullptr;
}

void FormEditor::SetText(size_t element, size_t member, const std::string& text) {
    if (FormMember* m = Member(element, member)) m->value = text;
}

void FormEditor::SetChecked(size_t element, size_t member, bool checked) {
    if (FormMember* m = Member(element, member)) m->selected = checked;
}

void FormEditor::CheckBoxClick(size_t element, size_t member) {
    FormMember* clicked = Member(element, member);
    if (!clicked || clicked->kind != FormKind::Radio || !clicked->enabled) return;
    for (FormMember& other : FormElements[element].members)
        other.selected = false;
    clicked->selected = true;
}

void FormEditor::ConstructRequest(const std::string& submitPair) {
    std::string query = FormQuery(FormElements, submitPair);
    if (FormIsPost) {
        PostData = EncodeUtf8 ? Cp1251ToUtf8(query) : query;
        return;
    }
    PostData.clear();
    if (query.empty()) return;
    // Only the query is converted: the downloader writes the path and the host itself.
    Address = std::string(CutQuery(Address)) + "?" + (EncodeUtf8 ? Cp1251ToUtf8(query) : query);
}

AfterSubmit FormEditor::SubmitClick(size_t element, size_t member) {
    const FormMember* button = Member(element, member);
    if (button && button->kind == FormKind::Button && button->enabled)
        ConstructRequest(button->name.empty() ? std::string()
                                              : FormPair(button->name, button->value));
    return Advanced ? AfterSubmit::WaitForUser : AfterSubmit::SendNow;
}

FormRequest FormEditor::Request() const {
    return FormRequest{Address, SendAsPost, SendAsPost ? PostData : std::string()};
}

std::string FormEditor::LinesText() const {
    std::string text;
    for (const std::string& line : Lines)
        text += (text.empty() ? "" : "\r\n") + CrLfLines(line);
    return text;
}

} // namespace qm
