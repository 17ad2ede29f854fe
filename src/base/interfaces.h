#pragma once
// The services the logic needs from the platform. The logic sees only these interfaces; the
// platform layer implements them with Qt, libcurl and the desktop, and headless runs use
// implementations that need no display.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii_case.h"
#include "base/bitmap.h"

namespace qm {

// Processes pending window events once; long loops call it so that the window stays
// responsive and F5 can set the abort flags.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void ProcessEvents() = 0;
};

struct HttpRequest {
    std::string method = "GET";
    std::string host;  // a name, an IPv4 address or a bracketed IPv6 address; no port
    int port = 80;
    bool secure = false;
    std::string objectName = "/";  // path and query as sent on the request line
    std::string headers;           // header block, lines ended by CR LF; blank lines are skipped
    std::string body;
    std::string userAgent;         // empty: no User-Agent header
    bool cookies = true;           // off: no cookie is sent and none is stored
    // While the transport waits for the network it pumps events; when this flag becomes true
    // the wait ends (Open fails with Aborted, Read returns what it has).
    const bool* abortFlag = nullptr;
    // A wait in which nothing arrives for this long fails with Stalled; 0 waits for ever.
    int64_t idleTimeoutMs = 0;
    // Side-by-side requests only: an answer of 2xx whose content type this accepts is handed
    // over with its body once the body has come; past bodyLimit bytes (0: no limit) the body
    // is cut there and the request ends. Null: answered at the header, the body not kept.
    bool (*keepBody)(std::string_view contentType) = nullptr;
    uint64_t bodyLimit = 0;
    // When set, a kept body goes here piece by piece instead of into the answer; false ends
    // the request, which is then answered as cut.
    std::function<bool(std::string_view piece)> bodySink;
};

// Why a request or a body read failed. ErrorText gives the details in the library's words.
enum class TransportError {
    None,
    Aborted,           // the abort flag was set or Abort was called
    BadAddress,        // the host or the address cannot be used
    NameNotResolved,
    ConnectFailed,     // refused or unreachable
    Timeout,
    Stalled,           // nothing arrived for the request's idle time
    TlsFailure,        // handshake or protocol failure
    CertificateRejected,
    SendFailed,
    ReceiveFailed,     // connection reset or broken while receiving
    IncompleteBody,    // the answer ended before its announced end
    BadResponse,       // nothing or no HTTP answer came back
    Other,
};

// One HTTP or HTTPS request at a time: open, query the answer, read the body in blocks. No
// redirect is followed and nothing is cached; only the headers of the request's block (and
// Host, User-Agent, Cookie and Content-Length where they apply) are sent.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    // Sends the request and waits (pumping events) for the answer's header. False on failure;
    // Error and ErrorText then say why.
    virtual bool Open(const HttpRequest& request) = 0;
    virtual int StatusCode() const = 0;
    // Value of the first answer header of that name (case-insensitive), empty when absent.
    virtual std::string Header(const std::string& name) const = 0;
    virtual std::string RawHeaders() const = 0;
    // Reads the body into buffer, waiting (pumping events) until size bytes have come or the
    // body ends: fewer than size only at the end or on an abort; 0 at the end. -1 when the
    // transfer broke off (what came before it has been returned by earlier calls).
    virtual long long Read(char* buffer, size_t size) = 0;
    virtual TransportError Error() const = 0;
    virtual std::string ErrorText() const = 0;
    // Ends the wait of a running Open or Read, as the abort flag does.
    virtual void Abort() = 0;
    // Ends the request; the transport can be opened again.
    virtual void Close() = 0;
};

// The answer to one request of an HttpMultiTransport: its code and header, or why there is none.
struct HttpAnswer {
    uint64_t id = 0; // as the request was added
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    TransportError error = TransportError::None;
    std::string errorText;
    bool bodyKept = false; // the request's keepBody accepted the answer: body (or the sink) has it
    bool bodyCut = false;  // the body went on past the request's limit, or the sink refused it
    std::string body = {};
    uint64_t bodyBytes = 0; // of the kept body

    // Value of the first header of that name (case-insensitive), empty when absent.
    std::string Header(std::string_view name) const {
        for (const auto& [key, value] : headers)
            if (EqualsNoCase(key, name)) return value;
        return {};
    }
};

// Requests side by side, for their answers only: a request is answered when its header has
// come, and its body is not kept. At most a fixed number of requests run at once; the others
// wait in the order they were added. The requests' abort flags are not read: Wait takes one.
class HttpMultiTransport {
public:
    virtual ~HttpMultiTransport() = default;
    virtual void Add(uint64_t id, const HttpRequest& request) = 0;
    // Waits (pumping events) until at least one added request is answered or has failed, and
    // returns those; empty when nothing is left to wait for or when *abortFlag became true.
    virtual std::vector<HttpAnswer> Wait(const bool* abortFlag) = 0;
    // Ends every request, running or waiting, without answers.
    virtual void Cancel() = 0;
};

struct FontSpec {
    std::string name;
    int charset = 1;       // DEFAULT_CHARSET; 255 (OEM_CHARSET) shows the bytes as DOS 866
    int pointSize = 11;
    bool bold = false;
    bool antialiasing = true;
};

// Measures and draws byte strings of the program's code page with a system font.
class TextRasterizer {
public:
    virtual ~TextRasterizer() = default;
    virtual void SetFont(const FontSpec& font) = 0;
    virtual int CharWidth(unsigned char byte) = 0;
    virtual int LineHeight() = 0;
    // Draws with a transparent background; colour is 0x00BBGGRR.
    virtual void Draw(Bitmap& target, int x, int y, const std::string& text, uint32_t colour) = 0;
};

// Why the desktop could not do what it was asked; the logic words it in the UI language.
enum class ShellFailure {
    None,
    NoSuchFile,    // subject: the path
    NoLauncher,    // nothing opens files with their default application
    NoFileManager,
    NoTextEditor,
    NoProgramFile, // the program's own executable, for a restart
    CannotStart,   // subject: the program that was found but would not start
};

struct ShellError {
    ShellFailure failure = ShellFailure::None;
    std::string subject; // file-system text (UTF-8)
};

// The desktop: default applications, the file manager, a text editor, restarting.
class Shell {
public:
    virtual ~Shell() = default;
    // Each returns false, with the reason in Error, when the desktop cannot do it.
    virtual bool OpenWithDefaultApp(const std::string& pathOrAddress) = 0;
    virtual bool ShowInFileManager(const std::string& path) = 0;
    virtual bool OpenInTextEditor(const std::string& path) = 0;
    virtual bool RestartProgram() = 0;
    virtual ShellError Error() const = 0;
};

// The standard file and colour dialogs. Paths are local file names; empty means cancelled.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // filter is in the "Description|*.ext" form of the UI strings.
    virtual std::string AskOpenFile(const std::string& title, const std::string& filter) = 0;
    virtual std::string AskSaveFile(const std::string& title, const std::string& filter,
                                    const std::string& suggestedPath) = 0;
    // Returns false when cancelled.
    virtual bool AskColour(uint32_t& colour) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void SetText(const std::string& text) = 0;  // Windows-1251 text
    virtual std::string Text() = 0;
};

// The clipboard of headless runs (tests, command-line modes): it lives as long as the run.
class MemoryClipboard : public Clipboard {
public:
    void SetText(const std::string& text) override { text_ = text; }
    std::string Text() override { return text_; }

private:
    std::string text_;
};

} // namespace qm
