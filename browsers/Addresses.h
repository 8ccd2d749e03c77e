// The fixed pages of the browser windows: one table per window, in tab order,
// with each tab's component name, caption and address. The last tab of every
// window is "Main Menu" and has no page.
#pragma once

#include <span>
#include <string>

namespace browsers {

struct TabPage {
    const char* name;    // the tab's component name, e.g. "TabSheet2"
    const char* caption; // the text on the tab
    const char* address; // the page it shows; empty for "Main Menu" and the chart
};

std::span<const TabPage> ProjectGutenbergTabs();
std::span<const TabPage> ResearchTabs();
std::span<const TabPage> DerivativeWorksTabs();
std::span<const TabPage> ECommerceTabs();
// Tab 0 ("Date Tables") has no address here: it shows the chart file.
std::span<const TabPage> LegalInformationTabs();

// Whether `address` is a plain local path (no scheme), which the browser
// shows as a local file.
bool IsLocalPath(const std::string& address);

} // namespace browsers
