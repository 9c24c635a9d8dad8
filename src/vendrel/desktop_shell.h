#pragma once

#include <QString>

// Hands a file or a web address to the desktop, which opens it in its
// default application. Tests use a shell that only records what it was given.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    // `target` is a web address (with or without a scheme) or a file name,
    // which is resolved against the current working directory.
    virtual void open(const QString& target) = 0;
};

// Opens through the desktop's default handlers.
class SystemDesktopShell final : public DesktopShell {
public:
    void open(const QString& target) override;
};
