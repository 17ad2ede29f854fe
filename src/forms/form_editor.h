#pragma once
// The form editor: the parsed form with what the user filled in, the request fields and the
// switches of its window. TForm3 shows this state and forwards input to its operations.

#include <string>
#include <vector>

#include "forms/form_elements.h"
#include "forms/form_request.h"
#include "state/browser_state.h"

namespace qm {

enum class AfterSubmit { SendNow, WaitForUser };

class FormEditor {
  public:
    std::string FormSource;
    std::string FormEditorURL;
    bool FormIsPost = false; // the form's METHOD: where the query goes
    std::vector<FormElement> FormElements;
    std::vector<std::string> Lines;         // Memo1: the form as parsed
    std::vector<std::string> SubmitButtons; // ComboBox1
    int SubmitIndex = -1;                   // ComboBox1's item, -1 for none
    std::string Address;                    // Edit1
    std::string PostData;                   // Edit2
    bool SendAsPost = false;                // RadioButton2; RadioButton1 (GET) otherwise
    bool EncodeUtf8 = true;                 // CheckBox1
    bool Advanced = false;                  // CheckBox2

    // A click on a form block: empty request fields, the block's text parsed, not advanced.
    void Open(const std::string& formSource, const std::string& baseUrl, int languageIndex);
    // Parses FormSource again; the request address starts as baseUrl. PostData is kept.
    void ProcessForm(const std::string& baseUrl, int languageIndex);

    // Lines as Memo1 shows them: one per line, a line break inside a tag's text a line break.
    std::string LinesText() const;

    // While the editor is shown its page is the Referer of the requests it sends.
    void Shown(BrowserState& state, const std::string& url);
    void Closed(BrowserState& state) { state.RefererURL.clear(); }

    // Input from the generated controls.
    void SetText(size_t element, size_t member, const std::string& text);
    void SetChecked(size_t element, size_t member, bool checked);
    // A radio member checks itself and unchecks the rest of its group.
    void CheckBoxClick(size_t element, size_t member);

    // Builds Address (GET form) or PostData (POST form) from the elements.
    void ConstructRequest(const std::string& submitPair);
    // A generated submit button: the request with its pair; sent at once unless advanced.
    AfterSubmit SubmitClick(size_t element, size_t member);

    // What the send buttons send: the method of the radio buttons, the fields as they stand.
    FormRequest Request() const;

  private:
    FormMember* Member(size_t element, size_t member);
};

} // namespace qm
