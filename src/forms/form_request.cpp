#include "forms/form_request.h"

namespace qm {

std::string FixParam(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '%':
            out += "%25";
            break;
        case '&':
            out += "%26";
            break;
        case '+':
            out += "%2B";
            break;
        case '#':
            out += "%23";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string FormPair(std::string_view name, std::string_view value) {
    std::string pair;
    for (char c : FixParam(name))
        pair += c == '=' ? std::string("%3D") : std::string(1, c);
    return pair + "=" + FixParam(value);
}

std::string FormQuery(const std::vector<FormElement>& elements, const std::string& submitPair) {
    std::string query;
    for (const FormElement& element : elements)
        for (const FormMember& member : element.members) {
            if (!member.enabled || !member.selected || member.kind == FormKind::Button ||
                member.name.empty())
                continue;
            if (!query.empty()) query.push_back('&');
            query += FormPair(member.name, member.value);
        }
    if (!submitPair.empty()) {
        if (!query.empty()) query.push_back('&');
        query += submitPair;
    }
    return query;
}

std::string_view CutQuery(std::string_view address) {
    return address.substr(0, address.find('?'));
}

std::string RequestAsLink(const FormRequest& request) {
    if (!request.isPost) return request.address;
    return std::string(CutQuery(request.address)) + "??" + request.postData;
}

std::vector<std::string> DataSendingProgram(const std::string& baseUrl,
                                            const FormRequest& request) {
    // A program line ends at a line break, so the breaks of a multi-line field go as their
    // percent codes, which the server reads back as the same bytes.
    std::string target;
    for (char c : RequestAsLink(request)) {
        if (c == '\r')
            target += "%0D";
        else if (c == '\n')
            target += "%0A";
        else
            target.push_back(c);
    }
    return {"SETBASEURL \"" + baseUrl + "\"", "GO \"" + target + "\""};
}

} // namespace qm
