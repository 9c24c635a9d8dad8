#pragma once

#include <QString>
#include <QUrl>

namespace vendrel::gui {

// Hands a file or a web address to the desktop, which opens it in its
// default application. Tests use a shell that only records what it was given.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    // `target` is a web address exactly as the command gives it, with or
    // without a scheme, or an encoded file URL.
    virtual void open(const QString& target) = 0;
};

// What the desktop is asked to open for `target`: an address without a
// scheme is opened over http.
QUrl desktopUrl(const QString& target);

// Opens through the desktop's default handlers.
class SystemDesktopShell final : public DesktopShell {
public:
    void open(const QString& target) override;
};

} // namespace vendrel::gui
