#pragma once
// "Save all linked files" in the window: the linked files of the page shown, of the kinds and
// extensions last chosen, saved at once into the chosen folder, with the progress in the
// caption and F5 to stop; the object info area lists what was written.

#include <vector>

#include "base/interfaces.h"
#include "site/linked_file_saver.h"

namespace qm {

class Browser;
struct BrowserState;

// The files of the page the state holds that the filter chooses, each address once, even
// when an earlier block of another kind holds it too.
std::vector<FileToSave> PageFilesToSave(const BrowserState& state, const LinkedFileFilter& filter,
                                        bool hidden = false);

class PageRip {
  public:
    PageRip(Browser& browser, HttpMultiTransport& transport);

    // Uses state.RipFolder (empty: the download folder), RipKinds and RipExtensions. Refused
    // while a check or a download runs.
    void Run();

  private:
    Browser& browser_;
    HttpMultiTransport& transport_;
};

} // namespace qm
