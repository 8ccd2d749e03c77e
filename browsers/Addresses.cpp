#include "Addresses.h"

#include <cctype>

namespace browsers {

namespace {

// The product website, under whose "/software/" folder our own pages lie.
#define QM_SITE "https://www.quillmere.com"

const TabPage projectGutenberg[] = {
    {"TabSheet1", "Project Gutenberg", "https://www.gutenberg.org/"},
    {"TabSheet4", "Main Menu", ""},
};

// Long-lived sites for people who make products from public-domain works:
// old books to scan, digitised texts, films, music, pictures, and the
// catalogues that tell whether a work is still protected.
const TabPage research[] = {
    {"TabSheet2", "abebooks.com", "https://www.abebooks.com/used/"},
    {"TabSheet5", "archive.org", "https://archive.org/"},
    {"TabSheet3", "hathitrust.org", "https://www.hathitrust.org/"},
    {"TabSheet6", "onlinebooks.library.upenn.edu", "https://onlinebooks.library.upenn.edu/"},
    {"TabSheet7", "loc.gov", "https://www.loc.gov/"},
    {"TabSheet8", "commons.wikimedia.org", "https://commons.wikimedia.org/"},
    {"TabSheet9", "librivox.org", "https://librivox.org/"},
    {"TabSheet10", "bartleby.com", "https://www.bartleby.com/"},
    {"TabSheet11", "publicdomainreview.org", "https://publicdomainreview.org/"},
    {"TabSheet12", "copyright.gov", "https://www.copyright.gov/"},
    {"TabSheet13", "Public Domain Music", "https://www.pdinfo.com/"},
    {"TabSheet14", "stock.xchng", "https://www.freeimages.com/"},
    {"TabSheet15", "Main Menu", ""},
};

const TabPage derivativeWorks[] = {
    {"TabSheet1", "Introduction", QM_SITE "/software/deriv_intro"},
    {"TabSheet4", "Tools", QM_SITE "/software/deriv_tools"},
    {"TabSheet2", "Vendors", QM_SITE "/software/deriv_vendors"},
    {"TabSheet3", "Main Menu", ""},
};

const TabPage eCommerce[] = {
    {"TabSheet1", "Hosting and Domains ", QM_SITE "/software/ecomm_hosting"},
    {"TabSheet2", "Shopping Cart Solutions ", QM_SITE "/software/ecomm_cart"},
    {"TabSheet3", "Main Menu", ""},
};

const TabPage legalInformation[] = {
    {"TabSheet1", "Date Tables", ""},
    {"TabSheet2", "Legal Aid", QM_SITE "/software/legal_aid"},
    {"TabSheet3", "Main Menu", ""},
};

#undef QM_SITE

} // namespace

std::span<const TabPage> ProjectGutenbergTabs() {
    return projectGutenberg;
}
std::span<const TabPage> ResearchTabs() {
    return research;
}
std::span<const TabPage> DerivativeWorksTabs() {
    return derivativeWorks;
}
std::span<const TabPage> ECommerceTabs() {
    return eCommerce;
}
std::span<const TabPage> LegalInformationTabs() {
    return legalInformation;
}

bool IsLocalPath(const std::string& address) {
    if (address.empty())
        return false;
    if (address[0] == '/' || address[0] == '\\')
        return true;
    // A Windows drive path: "C:\..." or "C:/...".
    return address.size() >= 3 && std::isalpha(static_cast<unsigned char>(address[0])) &&
           address[1] == ':' && (address[2] == '\\' || address[2] == '/');
}

} // namespace browsers
