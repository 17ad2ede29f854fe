// Fetches one address with the program's downloader, in file mode (to a path) or in page mode
// (into PageSource), and prints the time, the throughput and the resident memory. Run by
// bench/download_bench.sh against a local server; it is no Google Benchmark because a
// download of hundreds of megabytes is measured once per process, memory included.
//
//   download_bench URL page
//   download_bench URL file PATH

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>

#include "state/browser.h"
#include "net/downloader.h"
#include "platform/curl_transport.h"

namespace {

class NoEvents : public qm::EventPump {
  public:
    void ProcessEvents() override {}
};

long CurrentRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[2], "file") == 0 && argc < 4)) {
        std::fprintf(stderr, "usage: %s URL page|file [PATH]\n", argv[0]);
        return 2;
    }
    const std::string url = argv[1];
    const bool fileMode = std::strcmp(argv[2], "file") == 0;
    NoEvents pump;
    qm::Browser browser(pump);
    qm::CurlTransport transport(pump);
    qm::Downloader downloader(browser, transport);
    downloader.Options().recordHistory = false;

    const long rssBefore = CurrentRssKb();
    const auto started = std::chrono::steady_clock::now();
    downloader.StartDownload(url,
                             fileMode ? qm::DownloadMode::FileDownload : qm::DownloadMode::Page,
                             false, {}, fileMode ? argv[3] : "");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const qm::BrowserState& state = browser.State();
    if (state.LastDownloadFailed) {
        std::fprintf(stderr, "download failed: %s\n", state.RequestReport.c_str());
        return 1;
    }
    const uint64_t bytes =
        fileMode ? static_cast<uint64_t>(state.LastContentLength) : state.PageSource.size();
    std::printf("mode=%s bytes=%llu seconds=%.3f mb_per_s=%.1f rss_before_kb=%ld "
                "rss_after_kb=%ld peak_rss_kb=%ld\n",
                fileMode ? "file" : "page", static_cast<unsigned long long>(bytes), seconds,
                bytes / 1048576.0 / seconds, rssBefore, CurrentRssKb(), PeakRssKb());
    return 0;
}
