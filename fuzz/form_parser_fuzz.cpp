// A form block parsed into the editor's elements, and the request those elements make.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "forms/form_editor.h"
#include "forms/form_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int language = input.ConsumeIntegralInRange(0, 1);
    const bool pickButton = input.ConsumeBool();
    const std::string base = input.ConsumeRandomLengthString(128);

    qm::FormEditor editor;
    editor.Open(input.ConsumeRemainingBytesAsString(), base, language);
    std::string submit;
    if (pickButton && !editor.SubmitButtons.empty()) submit = editor.SubmitButtons.front();
    editor.ConstructRequest(submit);
    const qm::FormRequest request = editor.Request();
    qm::RequestAsLink(request);
    qm::DataSendingProgram(base, request);
    return 0;
}
