#pragma once

#include <QRect>

#include <functional>
#include <string>

class QMainWindow;

namespace vendrel::gui {

class Prompter;
struct MainWidgets;

// The text area that Memopad mode and Whitelist mode lay over the whole
// window: a file shown as text in its own encoding, and written back in it.
class PlainTextArea {
public:
    PlainTextArea(QMainWindow& window, const MainWidgets& widgets, Prompter& prompter);

    // Shows the file's bytes over every other control; the search waits meanwhile.
    void show(const std::string& bytes);
    void hide();
    // Writes the area's text with `write`; a failure is shown and the mode
    // stays open. True when written.
    bool save(const std::function<void(const std::string& bytes)>& write);

private:
    QRect geometryInWindow() const;
    // Shows `message` as an error; gives false, the failed save.
    bool showError(const QString& message);

    QMainWindow& window_;
    const MainWidgets& widgets_;
    Prompter& prompter_;
    bool eightBit_ = false;
};

} // namespace vendrel::gui
