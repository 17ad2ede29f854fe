// Every text decoder on any bytes, and the round trips that must give the text back.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "base/codepage.h"
#include "base/dos_text.h"
#include "tools/text_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool utf8 = input.ConsumeBool();
    const std::string text = input.ConsumeRemainingBytesAsString();

    qm::DecodeURL(text, utf8, qm::UrlDecoding::Shown);
    qm::DecodeURL(text, utf8, qm::UrlDecoding::Raw);
    qm::SlashDecode(text);
    qm::Utf8ToCp1251(text);
    qm::Cp1251ToUtf8(text);
    qm::Cp866ToUtf8(text);
    qm::StrAnsiToOEM(text);
    qm::StrOEMtoAnsi(text);
    qm::WinToDos(text, qm::DosSubstitution::On);
    if (qm::WinToDos(text, qm::DosSubstitution::Off).size() > text.size()) std::abort();

    // Every byte encoded comes back unchanged from both percent decoders.
    const std::string codes = qm::GetStringCodes(text);
    if (qm::HTTPDecod(codes) != text || qm::ProcDecode(codes) != text) std::abort();
    qm::HTTPDecod(text);
    qm::ProcDecode(text);
    return 0;
}
