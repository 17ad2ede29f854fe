#pragma once
// ProcessForm: reads the source of one form block (from its FORM tag to its closing tag) into
// the elements of the form editor, in source order, laid out in one column.

#include <string>
#include <string_view>
#include <vector>

#include "forms/form_elements.h"

namespace qm {

struct ParsedForm {
    std::vector<FormElement> elements;
    bool isPost = false;                    // the FORM tag's METHOD is POST
    std::string address;                    // the base address, or the resolved ACTION
    std::vector<std::string> lines;         // the form as parsed, one tag or text a line
    std::vector<std::string> submitButtons; // "name=value" of each named submit button
};

// Never fails: unknown tags and types, unnamed fields and unbalanced tags are skipped. Runs in
// time linear in the size of the source.
// CR LF, a lone LF and a lone CR each become CR LF.
std::string CrLfLines(std::string_view text);

ParsedForm ProcessForm(std::string_view source, const std::string& baseUrl, int languageIndex);

} // namespace qm
