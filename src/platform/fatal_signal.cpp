#include "platform/fatal_signal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <ucontext.h>
#include <unistd.h>

#include "platform/program_image.h"

namespace qm {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
// A stack overflow leaves no room on the stack itself.
alignas(16) char alternateStack[64 * 1024];

// Set once at installation; the handler only reads them.
std::string recordPath;
std::string programPath;
std::vector<std::string> programArguments;
std::vector<char*> programArgv;
ProgramImage image;
std::atomic<const int*> lookLanguage{nullptr};
std::atomic<const uint32_t*> lookBack{nullptr};
std::atomic<const uint32_t*> lookText{nullptr};

// Appends without the allocator, which a fault may have left broken.
struct Line {
    char buffer[256];
    size_t size = 0;

    void Add(const char* text) {
        while (*text && size < sizeof buffer)
            buffer[size++] = *text++;
    }
    void AddHex(uint64_t value) {
        char digits[17];
        int n = 0;
        do {
            digits[n++] = "0123456789ABCDEF"[value & 0xF];
            value >>= 4;
        } while (value != 0);
        while (n > 0 && size < sizeof buffer)
            buffer[size++] = digits[--n];
    }
    void AddDecimal(int value) {
        char digits[12];
        int n = 0;
        unsigned magnitude =
            value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) Add("-");
        while (n > 0 && size < sizeof buffer)
            buffer[size++] = digits[--n];
    }
};

uint64_t InstructionAddress(void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<uint64_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return static_cast<uint64_t>(uc->uc_mcontext.pc);
#else
    (void)uc;
    return 0;
#endif
}

template <class T> T LookValue(const std::atomic<const T*>& pointer, T fallback) {
    const T* value = pointer.load(std::memory_order_relaxed);
    return value ? *value : fallback;
}

void OnFatalSignal(int signal, siginfo_t*, void* context) {
    int fd =
        ::open(recordPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
        bool written = WriteFatalRecord(fd, signal, InstructionAddress(context), image,
                                        LookValue(lookLanguage, 1), LookValue(lookBack, 0xFFFFFFu),
                                        LookValue(lookText, 0u));
        ::close(fd);
        if (written) ::execv(programPath.c_str(), programArgv.data());
    }
    // The handler was reset on entry: the signal now ends the process as it would have.
    ::raise(signal);
}

} // namespace

bool WriteFatalRecord(int fd, int signal, uint64_t address, const ProgramImage& where,
                      int languageIndex, uint32_t back, uint32_t text) {
    Line line;
    line.Add("signal ");
    line.AddDecimal(signal);
    line.Add("\naddress ");
    line.AddHex(address);
    line.Add("\nimage ");
    line.AddHex(where.start);
    line.Add(" ");
    line.AddHex(where.end);
    line.Add(" ");
    line.AddHex(where.codeStart);
    line.Add("\nlook ");
    line.AddHex(static_cast<uint64_t>(languageIndex == 0 ? 0 : 1));
    line.Add(" ");
    line.AddHex(back);
    line.Add(" ");
    line.AddHex(text);
    line.Add("\n");
    size_t done = 0;
    while (done < line.size) {
        ssize_t n = ::write(fd, line.buffer + done, line.size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void InstallFatalSignalHandler(const std::string& record, const std::string& program,
                               const std::vector<std::string>& arguments) {
    recordPath = record;
    programPath = program;
    programArguments = arguments;
    programArgv.clear();
    for (std::string& argument : programArguments)
        programArgv.push_back(argument.data());
    programArgv.push_back(nullptr);
    image = CurrentProgramImage();

    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    // Reset and not deferred: a fault inside the handler, or the raise at its end, ends the
    // process instead of coming back here.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals)
        ::sigaction(signal, &action, nullptr);
}

void SetFatalLook(const FatalLook& look) {
    lookLanguage = look.languageIndex;
    lookBack = look.back;
    lookText = look.text;
}

} // namespace qm
