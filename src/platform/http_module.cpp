#include "platform/http_module.h"

#include <dlfcn.h>

#include <utility>

namespace qm {

void* LoadHttpModuleEntry(const std::string& modulePath, const char* entry, std::string& error) {
    void* module = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* function = module ? ::dlsym(module, entry) : nullptr;
    if (!function) {
        const char* why = ::dlerror();
        error = why ? why : "Cannot load " + modulePath;
    }
    return function;
}

namespace {

// Makes the transport with the module's function of that name and type at the first call; a
// module that failed to load is not tried again.
template <typename Function, typename Transport, typename... Args>
bool LoadOnce(std::unique_ptr<Transport>& loaded, std::string& error, const std::string& path,
              const char* entryName, Args... args) {
    if (loaded) return true;
    if (!error.empty()) return false;
    void* entry = LoadHttpModuleEntry(path, entryName, error);
    if (!entry) return false;
    loaded.reset(reinterpret_cast<Function>(entry)(args...));
    return true;
}

} // namespace

HttpModuleTransport::HttpModuleTransport(EventPump& pump, std::string modulePath)
    : pump_(pump), modulePath_(std::move(modulePath)) {}

// The module stays loaded: the transport's code lives there until the process ends.
HttpModuleTransport::~HttpModuleTransport() = default;

bool HttpModuleTransport::Load() {
    return LoadOnce<decltype(&quillmar_new_http_transport)>(loaded_, loadError_, modulePath_,
                                                            kHttpModuleEntry, &pump_);
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

HttpModuleMultiTransport::HttpModuleMultiTransport(EventPump& pump, int maxParallel,
                                                   std::string modulePath)
    : pump_(pump), maxParallel_(maxParallel), modulePath_(std::move(modulePath)) {}

// As with the single transport, the module stays loaded.
HttpModuleMultiTransport::~HttpModuleMultiTransport() = default;

bool HttpModuleMultiTransport::Load() {
    return LoadOnce<decltype(&quillmar_new_http_multi_transport)>(
        loaded_, loadError_, modulePath_, kHttpMultiModuleEntry, &pump_, maxParallel_);
}

void HttpModuleMultiTransport::Add(uint64_t id, const HttpRequest& request) {
    if (Load())
        loaded_->Add(id, request);
    else
        failed_.push_back({id, 0, {}, TransportError::Other, loadError_});
}

std::vector<HttpAnswer> HttpModuleMultiTransport::Wait(const bool* abortFlag) {
    if (!failed_.empty()) return std::exchange(failed_, {});
    return loaded_ ? loaded_->Wait(abortFlag) : std::vector<HttpAnswer>();
}

void HttpModuleMultiTransport::Cancel() {
    failed_.clear();
    if (loaded_) loaded_->Cancel();
}

} // namespace qm
