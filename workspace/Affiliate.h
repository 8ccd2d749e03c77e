// Addresses on the affiliate network's site, built from the reseller's
// affiliate name (the brand).
#pragma once

#include <string>

namespace workspace {

// The network's host name. The wizard's sign-up links open it bare; the
// Manage Projects pages are web addresses on it.
inline constexpr const char* kAffiliateHost = "www.tarrowby.com";

// "http://", the host, "/", the brand, then "/" and the page: "hollowmark" or
// "fernwick".
inline std::string AffiliatePageAddress(const std::string& brand, const std::string& page) {
    return std::string("http://") + kAffiliateHost + "/" + brand + "/" + page;
}

} // namespace workspace
