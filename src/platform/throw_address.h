#pragma once
// Where the error being handled was thrown: every throw passes through here on its way to the
// C++ runtime, which keeps no such record itself.

#include <cstdint>

namespace qm {

// The code address of the throw that raised object (the exception as caught), or 0 when
// that object was not the last one thrown.
uint64_t ThrowAddressOf(const void* object);

} // namespace qm
