// Addresses on the affiliate network's site, built from the reseller's
// affiliate name (the brand).
#pragma once

#include <string>

namespace workspace {

// The network's site, ending with "/".
inline constexpr const char* kAffiliateSite = "http://www.tarrowby.com/";

// The site address, the brand, then "/" and the page: "hollowmark" or "fernwick".
inline std::string AffiliatePageAddress(const std::string& brand, const std::string& page) {
    return std::string(kAffiliateSite) + brand + "/" + page;
}

} // namespace workspace
