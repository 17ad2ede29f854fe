#pragma once
// Check site links in the window: the site check from the page shown, with its progress in
// the caption and F5 to stop. Its result is a page of the broken addresses under the page
// where each was first found, each page a link; a page opened afterwards shows the verdicts
// on its blocks as Check page links does.

#include "base/interfaces.h"

namespace qm {

class Browser;
class GoActionHost;

class SiteLinkCheck {
  public:
    SiteLinkCheck(Browser& browser, HttpMultiTransport& transport, GoActionHost& host);

    // Refused while a check or a download runs, and for a page that is not from the web.
    void Run();

  private:
    Browser& browser_;
    HttpMultiTransport& transport_;
    GoActionHost& host_;
};

// The last site check's verdicts on the blocks of the page now in the state; nothing when no
// site check ran or the page holds none of its addresses.
void MarkSiteCheckedLinks(Browser& browser);

} // namespace qm
