#include "platform/throw_address.h"

#include <cstdlib>
#include <dlfcn.h>
#include <typeinfo>

namespace {

thread_local const void* lastObject = nullptr;
thread_local uint64_t lastAddress = 0;

using ThrowFunction = void (*)(void*, std::type_info*, void (*)(void*));

} // namespace

// Takes the runtime's place in this program; the runtime's own throw does the rest.
extern "C" [[noreturn]] void __cxa_throw(void* object, std::type_info* type,
                                         void (*destroy)(void*)) {
    static const auto next = reinterpret_cast<ThrowFunction>(dlsym(RTLD_NEXT, "__cxa_throw"));
    // The return address follows the call; one byte back lies inside the throwing statement
    // even when the call is the function's last instruction.
    lastAddress = reinterpret_cast<uint64_t>(__builtin_return_address(0)) - 1;
    lastObject = object;
    if (!next) std::abort();
    next(object, type, destroy);
    __builtin_unreachable();
}

namespace qm {

uint64_t ThrowAddressOf(const void* object) {
    return object != nullptr && object == lastObject ? lastAddress : 0;
}

} // namespace qm
