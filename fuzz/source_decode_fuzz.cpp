// The page bytes to the text the view scans: UTF-8 conversion, character references and the
// page report in front.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "state/browser_state.h"
#include "tools/source_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    qm::BrowserState state;
    state.Utf8Decoding = input.ConsumeBool();
    state.LanguageIndex = input.ConsumeIntegralInRange(0, 1);
    state.PageReport = input.ConsumeRandomLengthString(256);
    qm::AmpToStr(input.ConsumeRandomLengthString(64));
    state.PageSource = input.ConsumeRemainingBytesAsString();

    bool errors = false;
    qm::Utf8ToAnsi(state.PageSource, &errors);
    qm::DecodeSite(state);
    return 0;
}
