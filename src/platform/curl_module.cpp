// The libcurl transports as the module that the command-line front loads (http_module.h).

#include "platform/curl_transport.h"
#include "platform/http_module.h"

namespace {

// The transports of one command share their cookies: those the page sets go with the
// requests for its files, as in the window, where they share the cookie file.
qm::CurlTransportOptions SharedCookies() {
    static const std::shared_ptr<qm::curl_detail::CookieJar> jar = qm::NewMemoryCookieJar();
    qm::CurlTransportOptions options;
    options.jar = jar;
    return options;
}

} // namespace

qm::HttpTransport* quillmar_new_http_transport(qm::EventPump* pump) {
    return new qm::CurlTransport(*pump, SharedCookies());
}

qm::HttpMultiTransport* quillmar_new_http_multi_transport(qm::EventPump* pump, int maxParallel) {
    return new qm::CurlMultiTransport(*pump, maxParallel, SharedCookies());
}
