// The libcurl transports as the module that the command-line front loads (http_module.h).

#include "platform/curl_transport.h"
#include "platform/http_module.h"

qm::HttpTransport* quillmar_new_http_transport(qm::EventPump* pump) {
    return new qm::CurlTransport(*pump);
}

qm::HttpMultiTransport* quillmar_new_http_multi_transport(qm::EventPump* pump, int maxParallel) {
    return new qm::CurlMultiTransport(*pump, maxParallel);
}
