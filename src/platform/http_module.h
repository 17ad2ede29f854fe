#pragma once
// The HTTP transport of the command-line front, which links no libcurl: the libcurl transport
// is built a second time as a module beside the program and loaded at the first request, so a
// page read from a file starts without loading libcurl and the libraries behind it.

#include <memory>
#include <string>

#include "base/interfaces.h"

namespace qm {

inline constexpr const char* kHttpModuleFile = "quillmar-http.so";
inline constexpr const char* kHttpModuleEntry = "quillmar_new_http_transport";
inline constexpr const char* kHttpMultiModuleEntry = "quillmar_new_http_multi_transport";

// The module's function of that name; null, with the loader's words in error, when the
// module or the function cannot be loaded.
void* LoadHttpModuleEntry(const std::string& modulePath, const char* entry, std::string& error);

class HttpModuleTransport : public HttpTransport {
  public:
    HttpModuleTransport(EventPump& pump, std::string modulePath);
    ~HttpModuleTransport() override;

    // A module that cannot be loaded fails the request with Other and the loader's words.
    bool Open(const HttpRequest& request) override;
    int StatusCode() const override;
    std::string Header(const std::string& name) const override;
    std::string RawHeaders() const override;
    long long Read(char* buffer, size_t size) override;
    TransportError Error() const override;
    std::string ErrorText() const override;
    void Abort() override;
    void Close() override;

  private:
    bool Load();

    EventPump& pump_;
    std::string modulePath_;
    std::unique_ptr<HttpTransport> loaded_;
    std::string loadError_;
};

class HttpModuleMultiTransport : public HttpMultiTransport {
  public:
    HttpModuleMultiTransport(EventPump& pump, int maxParallel, std::string modulePath);
    ~HttpModuleMultiTransport() override;

    // A module that cannot be loaded answers every request with Other and the loader's words.
    void Add(uint64_t id, const HttpRequest& request) override;
    std::vector<HttpAnswer> Wait(const bool* abortFlag) override;
    void Cancel() override;

  private:
    bool Load();

    EventPump& pump_;
    int maxParallel_;
    std::string modulePath_;
    std::unique_ptr<HttpMultiTransport> loaded_;
    std::string loadError_;
    std::vector<HttpAnswer> failed_; // requests that found no module
};

} // namespace qm

// The module's exported functions: a new transport that pumps the given pump, and one that
// runs up to maxParallel requests side by side.
extern "C" __attribute__((visibility("default"))) qm::HttpTransport*
quillmar_new_http_transport(qm::EventPump* pump);
extern "C" __attribute__((visibility("default"))) qm::HttpMultiTransport*
quillmar_new_http_multi_transport(qm::EventPump* pump, int maxParallel);
