#pragma once
// The texts of a form request: the query built from the filled elements, the single-address
// form of a POST request, and the program that repeats a request.

#include <string>
#include <string_view>
#include <vector>

#include "forms/form_elements.h"

namespace qm {

// "%", "&", "+" and "#" as %25, %26, %2B and %23; every other byte passes unchanged.
std::string FixParam(std::string_view value);

// name=value with both through FixParam and "=" in the name as %3D, so that a name cannot cut
// the query or split into other pairs.
std::string FormPair(std::string_view name, std::string_view value);

// The pairs joined by "&" of the enabled, selected, named members that are not buttons, then
// submitPair (the pressed button's pair) when it is not empty.
std::string FormQuery(const std::vector<FormElement>& elements, const std::string& submitPair);

// The address up to its first "?".
std::string_view CutQuery(std::string_view address);

// What a request is sent as: a GET of the address, or a POST of the data to it.
struct FormRequest {
    std::string address;
    bool isPost = false;
    std::string postData;
};

// One address for both methods: a POST becomes the address without its query, "??" and the
// data, the form the downloader reads as a POST.
std::string RequestAsLink(const FormRequest& request);

// The two program lines that repeat a request: SETBASEURL with the page address, then GO with
// the request as one address.
std::vector<std::string> DataSendingProgram(const std::string& baseUrl, const FormRequest& request);

} // namespace qm
