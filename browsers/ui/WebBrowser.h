// The embedded web browser of the program's windows: navigates to a web
// address, a local file path or "about:blank", and lets the user follow links.
#pragma once

#include <QWidget>

#include <string>

class WebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);

    // Shows `address`: a web address, a local file path or "about:blank".
    void Navigate(const std::string& address);

    // The address last asked for through Navigate (empty before the first).
    const std::string& LastAddress() const { return lastAddress_; }

private:
    std::string lastAddress_;
};
