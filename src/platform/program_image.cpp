#include "platform/program_image.h"

#include <algorithm>
#include <link.h>

namespace qm {
namespace {

int ReadMainProgram(dl_phdr_info* info, size_t, void* data) {
    auto* image = static_cast<ProgramImage*>(data);
    uint64_t low = UINT64_MAX, high = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD) continue;
        low = std::min<uint64_t>(low, header.p_vaddr);
        high = std::max<uint64_t>(high, header.p_vaddr + header.p_memsz);
        if ((header.p_flags & PF_X) && image->codeStart == 0)
            image->codeStart = info->dlpi_addr + header.p_vaddr;
    }
    if (low != UINT64_MAX) {
        image->start = info->dlpi_addr + low;
        image->end = info->dlpi_addr + high;
    }
    return 1; // the executable comes first; the libraries do not matter
}

} // namespace

ProgramImage CurrentProgramImage() {
    ProgramImage image;
    dl_iterate_phdr(ReadMainProgram, &image);
    return image;
}

} // namespace qm
