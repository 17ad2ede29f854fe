#pragma once
// The elements of a parsed form: what each generated control is, where it stands in the
// editor's column and what it contributes to a request.

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

enum class FormKind { Label, Edit, Memo, Checkbox, Radio, Button };

// How an "Edit" member is shown.
enum class EditLook { Plain, Password, Hidden };

struct FormMember {
    FormKind kind = FormKind::Label;
    EditLook look = EditLook::Plain;
    std::string name;  // empty for labels and the default button
    std::string value; // the text of edits and memos, the caption of labels
    bool selected = false;
    bool enabled = false;
    int32_t top = 0; // in the column of controls
    int32_t height = 0;
};

// Several members only for a radio group: INPUTs of type RADIO sharing a name, or the
// OPTIONs of one single-choice SELECT.
struct FormElement {
    std::vector<FormMember> members;
};

// The column of controls: left edge, gap, and the heights of each kind of control.
struct FormColumn {
    static constexpr int32_t kLeft = 5;
    static constexpr int32_t kGap = 5;
    static constexpr int32_t kRightMargin = 50; // edits are as wide as the column minus this
    static constexpr int32_t kLabelHeight = 15;
    static constexpr int32_t kEditHeight = 20;
    static constexpr int32_t kCheckHeight = 20;
    static constexpr int32_t kButtonHeight = 30;
    static constexpr int32_t kMemoHeight = 100;
};

} // namespace qm
