#include "OfflinePage.h"

namespace browsers {

namespace {

const char kTryAgain[] = "try-again";
const char kOpen[] = "open-in-browser";

std::string escapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string OfflinePageHtml(const std::string& address) {
    const std::string base = kOfflinePageBase;
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<title>This page needs the internet</title><style>"
           "body{margin:0;background:#F7F6F5;color:#333;font:13px Verdana,Geneva,sans-serif}"
           ".box{max-width:34em;margin:10vh auto 0;padding:22px 28px 26px;background:#fff;"
           "border:1px solid #DDD9D3;border-top:5px solid #F09B14;border-radius:6px}"
           "h1{font-size:17px;margin:0 0 14px}"
           ".address{margin:6px 0 14px;padding:6px 10px;background:#F7F6F5;"
           "border-radius:4px;word-break:break-all;font-family:monospace}"
           "a.button{display:inline-block;margin:14px 10px 0 0;padding:7px 16px;"
           "border-radius:4px;text-decoration:none;font-weight:bold}"
           "a.again{background:#F09B14;color:#fff}"
           "a.browser{background:#F7F6F5;color:#333;border:1px solid #C9C4BD}"
           "</style></head><body><div class=\"box\">"
           "<h1>This page needs the internet</h1>"
           "<p>Quillmere could not open</p><p class=\"address\">" +
           escapeHtml(address) +
           "</p><p>It is a page on the web, and it cannot be reached now. Check that this "
           "computer is connected to the internet, then try again.</p>"
           "<a class=\"button again\" href=\"" +
           base + kTryAgain + "\">Try again</a><a class=\"button browser\" href=\"" + base + kOpen +
           "\">Open in your browser</a></div></body></html>\n";
}

OfflineAction OfflineActionOf(const std::string& link) {
    const std::string base = kOfflinePageBase;
    if (link.compare(0, base.size(), base) != 0)
        return OfflineAction::None;
    const std::string action = link.substr(base.size());
    if (action == kTryAgain)
        return OfflineAction::TryAgain;
    if (action == kOpen)
        return OfflineAction::OpenInBrowser;
    return OfflineAction::None;
}

} // namespace browsers
