#include "Addresses.h"

#include <cctype>

namespace browsers {

namespace {

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
    {"TabSheet1", "Introduction", "/software/deriv_intro", "deriv_intro.html"},
    {"TabSheet4", "Tools", "/software/deriv_tools", "deriv_tools.html"},
    {"TabSheet2", "Vendors", "/software/deriv_vendors", "deriv_vendors.html"},
    {"TabSheet3", "Main Menu", ""},
};

const TabPage eCommerce[] = {
    {"TabSheet1", "Hosting and Domains ", "/software/ecomm_hosting", "ecomm_hosting.html"},
    {"TabSheet2", "Shopping Cart Solutions ", "/software/ecomm_cart", "ecomm_cart.html"},
    {"TabSheet3", "Main Menu", ""},
};

const TabPage legalInformation[] = {
    {"TabSheet1", "Date Tables", ""},
    {"TabSheet2", "Legal Aid", "/software/legal_aid", "legal_aid.html"},
    {"TabSheet4", "Status Check", ""},
    {"TabSheet3", "Main Menu", ""},
};

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

std::string TabAddress(const TabPage& tab, const std::string& siteAddress,
                       const std::string& pagesFolder) {
    if (!*tab.document)
        return tab.address;
    if (siteAddress.empty())
        return pagesFolder + tab.document;
    std::string site = siteAddress;
    while (!site.empty() && site.back() == '/')
        site.pop_back();
    return site + tab.address;
}

namespace {

std::string lowerScheme(const std::string& address) {
    const size_t colon = address.find(':');
    if (colon == std::string::npos)
        return {};
    std::string scheme = address.substr(0, colon);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

} // namespace

bool LeadsOut(const std::string& from, const std::string& to) {
    if (lowerScheme(from) != "file")
        return false;
    const std::string scheme = lowerScheme(to);
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto";
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
