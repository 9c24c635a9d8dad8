#pragma once

#include <QUrl>

namespace pellbrook {

// The maker's home page, tagged with the product that sent the visitor.
QUrl makerPageUrl();

// Hands a web address to the desktop's browser. Tests use one that only
// records the address.
class WebLinkOpener {
public:
    virtual ~WebLinkOpener() = default;
    virtual void open(const QUrl& address) = 0;
};

class DesktopWebLinkOpener final : public WebLinkOpener {
public:
    void open(const QUrl& address) override;
};

} // namespace pellbrook
