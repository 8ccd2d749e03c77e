#include "SiteAddress.h"

#include "platform/gui/Text.h"

#include <QSettings>

std::string ProductSiteAddress(const QSettings& settings) {
    return platform::fromQ(settings.value("SiteAddress").toString().trimmed());
}

std::string ProductSiteAddress() {
    const QSettings settings(QSettings::UserScope, "Quillmere", "Quillmere");
    return ProductSiteAddress(settings);
}
