#pragma once
// The object info area's tools that touch the page: its text loaded as the page source, and
// every line of it tested as a link, with a page of the results. Like the text tools they
// work on the browser's models, with or without a window.

#include <string>

namespace qm {

class Browser;
class Downloader;
class GoActionHost;

// The area's text becomes the page source (as UTF-8 in UTF-8 mode), shown anew; the address
// and the history stay. Nothing happens while a download fills the page.
void LoadAsPageSource(Browser& browser, GoActionHost& host);

// Each non-blank line of the area is resolved against BaseURL and tested in link-test mode;
// the results, numbered, become a page on which every line that answered 200 is a media
// object. The area keeps its text. Nothing happens while another download runs; F5 stops one
// request, closing the window (ProcessAbort) the whole walk.
void TestLinks(Browser& browser, Downloader& downloader, GoActionHost& host);

} // namespace qm
