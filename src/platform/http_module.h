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

} // namespace qm

// The module's one exported function: a new transport that pumps the given pump.
extern "C" __attribute__((visibility("default"))) qm::HttpTransport*
quillmar_new_http_transport(qm::EventPump* pump);
