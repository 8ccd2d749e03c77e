// The page a tab shows for a web page it cannot reach.
#include "browsers/OfflinePage.h"

#include <gtest/gtest.h>

TEST(OfflinePage, ShowsTheAddressSafelyWithItsTwoWaysOn) {
    const std::string html = browsers::OfflinePageHtml("http://a.example/?q=<b>&x=\"1\"");
    EXPECT_NE(html.find("http://a.example/?q=&lt;b&gt;&amp;x=&quot;1&quot;"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_NE(html.find(">Try again</a>"), std::string::npos);
    EXPECT_NE(html.find(">Open in your browser</a>"), std::string::npos);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    const std::string base = browsers::kOfflinePageBase;
    EXPECT_EQ(browsers::OfflineActionOf(base + "try-again"), browsers::OfflineAction::TryAgain);
    EXPECT_EQ(browsers::OfflineActionOf(base + "open-in-browser"),
              browsers::OfflineAction::OpenInBrowser);
    EXPECT_EQ(browsers::OfflineActionOf("https://example.com/try-again"),
              browsers::OfflineAction::None);
    EXPECT_EQ(browsers::OfflineActionOf(base + "elsewhere"), browsers::OfflineAction::None);
}
