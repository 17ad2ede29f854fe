#pragma once
// "data:" URIs: the base64 decoder, the type of a URI and the saver of its payload.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qm {

class Dialogs;

// Appends the bytes of standard base64 text (RFC 4648 alphabet, not the URL-safe one) to out.
// The first character outside the alphabet ("=", a line break, a blank) ends the decoding;
// bits left over at the end are dropped.
void DecodeB64(std::string_view text, std::string& out);

// The MIME type of a data URI ("data:image/png;base64,..." gives "image/png"); empty when the
// text is not a data URI or has no ",".
std::string GetDataType(std::string_view uri);

// The payload of a data URI: base64 after "BASE64," (any case), else the percent-decoded text
// after the first ",", else a single space.
std::string DataPayload(std::string_view uri);

// The file name a data URI is saved under: its type (or "datafile") made a file name, with the
// type's preferred extension.
std::string DataFileName(std::string_view uri);

// The save failed; the message (program text, in the UI language) names the file.
class DataSaveError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Decodes the data URI of the linked-file field and saves it as a file: into folder under
// DataFileName, numbered when that name is taken, or, when folder is empty, where the save
// dialog says. Returns the path written (the new text of the saved-file field), or nothing
// when the dialog was cancelled. An older file of that name stays intact when the write fails;
// DataSaveError is thrown then. The dialog starts in dialogFolder when one is given.
std::optional<std::string> DoSaveData64(std::string_view linkedField, const std::string& folder,
                                        Dialogs& dialogs, int languageIndex,
                                        const std::string& dialogFolder = {});

} // namespace qm
