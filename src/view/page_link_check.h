#pragma once
// Check page links (Ctrl+Shift+T): every address of the page's Link, Media and Linked-file
// blocks is tested once, one request after another in link-test mode, and each result shows
// on the blocks of its address.

namespace qm {

class Browser;
class Downloader;

// What the check asks of the window.
class PageLinkCheckHost {
  public:
    virtual ~PageLinkCheckHost() = default;
    // The marks changed: the page is to be laid out and painted again.
    virtual void LinkMarksChanged() = 0;
};

class PageLinkCheck {
  public:
    PageLinkCheck(Browser& browser, Downloader& downloader, PageLinkCheckHost& host);

    // Refused while a check or a download runs. F5, closing the window or another page ends
    // it after the current request; a request that F5 cut short leaves its address unmarked.
    void Run();

  private:
    bool Stopped() const;

    Browser& browser_;
    Downloader& downloader_;
    PageLinkCheckHost& host_;
};

} // namespace qm
