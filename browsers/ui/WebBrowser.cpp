#include "WebBrowser.h"

// Placeholder until the web engine is wired: records the address only.
WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent) {}

void WebBrowser::Navigate(const std::string& address) { lastAddress_ = address; }
