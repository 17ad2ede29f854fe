// Host names to their ASCII-compatible form: UTF-16 labels and Windows-1251 host names.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "net/punycode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string host = input.ConsumeRandomLengthString(1024);
    std::u16string wide;
    while (input.remaining_bytes() >= 2)
        wide.push_back(input.ConsumeIntegral<char16_t>());

    qm::ToPunycodeHost(std::string_view(host));
    qm::ToPunycodeHost(std::u16string_view(wide));
    if (auto encoded = qm::EncodePunycode(wide)) {
        // Punycode is plain ASCII whatever the label holds.
        for (char c : *encoded)
            if (static_cast<unsigned char>(c) >= 0x80) std::abort();
    }
    return 0;
}
