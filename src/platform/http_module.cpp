#include "platform/http_module.h"

#include <dlfcn.h>

namespace qm {

HttpModuleTransport::HttpModuleTransport(EventPump& pump, std::string modulePath)
    : pump_(pump), modulePath_(std::move(modulePath)) {}

// The module stays loaded: the transport's code lives there until the process ends.
HttpModuleTransport::~HttpModuleTransport() = default;

bool HttpModuleTransport::Load() {
    if (loaded_) return true;
    if (!loadError_.empty()) return false;
    void* module = ::dlopen(modulePath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = module ? ::dlsym(module, kHttpModuleEntry) : nullptr;
    if (!entry) {
        const char* why = ::dlerror();
        loadError_ = why ? why : "Cannot load " + modulePath_;
        return false;
    }
    loaded_.reset(reinterpret_cast<decltype(&quillmar_new_http_transport)>(entry)(&pump_));
    return true;
}

bool HttpModuleTransport::Open(const HttpRequest& request) {
    return Load() && loaded_->Open(request);
}

int HttpModuleTransport::StatusCode() const {
    return loaded_ ? loaded_->StatusCode() : 0;
}

std::string HttpModuleTransport::Header(const std::string& name) const {
    return loaded_ ? loaded_->Header(name) : std::string();
}

std::string HttpModuleTransport::RawHeaders() const {
    return loaded_ ? loaded_->RawHeaders() : std::string();
}

long long HttpModuleTransport::Read(char* buffer, size_t size) {
    return loaded_ ? loaded_->Read(buffer, size) : 0;
}

TransportError HttpModuleTransport::Error() const {
    if (loaded_) return loaded_->Error();
    return loadError_.empty() ? TransportError::None : TransportError::Other;
}

std::string HttpModuleTransport::ErrorText() const {
    return loaded_ ? loaded_->ErrorText() : loadError_;
}

void HttpModuleTransport::Abort() {
    if (loaded_) loaded_->Abort();
}

void HttpModuleTransport::Close() {
    if (loaded_) loaded_->Close();
}

} // namespace qm
