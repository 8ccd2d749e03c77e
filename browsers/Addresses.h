// The fixed pages of the browser windows: one table per window, in tab order,
// with each tab's component name, caption and address. The last tab of every
// window is "Main Menu" and has no page.
//
// Our own pages (on derivative works, eCommerce and legal aid) ship with the
// program as archive documents and are shown offline; where the user has set
// a product website (the "SiteAddress" setting), they come from that site's
// "/software/" folder instead.
#pragma once

#include <span>
#include <string>

namespace browsers {

struct TabPage {
    const char* name;          // the tab's component name, e.g. "TabSheet2"
    const char* caption;       // the text on the tab
    const char* address;       // the page it shows; empty for "Main Menu", the chart and the
                               // status check; for our own pages the path on the product website
    const char* document = ""; // our own page's archive document, e.g. "deriv_intro.html"
};

std::span<const TabPage> ProjectGutenbergTabs();
std::span<const TabPage> ResearchTabs();
std::span<const TabPage> DerivativeWorksTabs();
std::span<const TabPage> ECommerceTabs();
// Tab 0 ("Date Tables") has no address here: it shows the chart file; tab 2
// ("Status Check") shows a form, not a page.
std::span<const TabPage> LegalInformationTabs();

// The address `tab` shows. For our own pages: `siteAddress` followed by the
// tab's path when a product website is set, otherwise the document's file in
// `pagesFolder` (which ends with a separator). Any other tab: its address.
std::string TabAddress(const TabPage& tab, const std::string& siteAddress,
                       const std::string& pagesFolder);

// Whether a link from the page at `from` to `to` leads out of our own pages:
// from a local file to the web (http, https, ftp) or to mail. Such links
// open in the user's browser, not in the window.
bool LeadsOut(const std::string& from, const std::string& to);

// Whether `address` is a plain local path (no scheme), which the browser
// shows as a local file.
bool IsLocalPath(const std::string& address);

} // namespace browsers
