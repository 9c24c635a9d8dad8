// The plain-text area that Memopad mode and Whitelist mode lay over the window.

#include "vendrel/plain_text_area.h"

#include "vendrel/cell_text_codec.h"
#include "vendrel/main_widgets.h"
#include "vendrel/prompter.h"

#include <QGroupBox>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>

namespace vendrel::gui {

namespace {

// Lines are shown with LF breaks whatever the file used.
QString withLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The area's text with CR LF between lines, no break added after the last.
QString withCrLf(const QPlainTextEdit& area)
{
    // Raw text keeps no-break spaces, which the plain-text view would turn into blanks.
    QString text = area.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

} // namespace

PlainTextArea::PlainTextArea(QMainWindow& window, const MainWidgets& widgets, Prompter& prompter)
    : window_(window), widgets_(widgets), prompter_(prompter)
{
}

QRect PlainTextArea::geometryInWindow() const
{
    // From the window's outer size, its frame included. Where the window
    // system draws a thinner frame the arithmetic falls short, and the area
    // is stretched to still reach the bottom, over the search panel and the
    // progress bar.
    const QSize outer = window_.frameGeometry().size();
    const int height = std::max(outer.height() - 54, window_.centralWidget()->height() - 1);
    return {1, 1, outer.width() - 6, height};
}

void PlainTextArea::show(const std::string& bytes)
{
    QPlainTextEdit* area = widgets_.memopadText;
    area->setGeometry(geometryInWindow());
    // Above every other control, the search panel and the progress bar
    // included; the search, which works on the list under it, waits.
    area->raise();
    widgets_.searchPanel->setEnabled(false);
    area->show();
    area->setMaximumBlockCount(0);
    DecodedFile decoded = decodeFileBytes(bytes);
    eightBit_ = decoded.eightBit;
    area->setPlainText(withLineFeeds(std::move(decoded.text)));
    area->setFocus();
}

void PlainTextArea::hide()
{
    QPlainTextEdit* area = widgets_.memopadText;
    area->hide();
    widgets_.searchPanel->setEnabled(true);
    window_.repaint();
    area->clear();
    area->setMaximumBlockCount(1);
}

bool PlainTextArea::save(const std::function<void(const std::string& bytes)>& write)
{
    try {
        const QString text = withCrLf(*widgets_.memopadText);
        const auto bytes = encodeFileText(text, eightBit_);
        // Said straight from the text: the character named is one the 8-bit
        // code page, and so an error's bytes on Windows, cannot hold.
        if (!bytes)
            return showError(codePageRefusal(text, QStringLiteral("nothing was written.")));
        write(*bytes);
        return true;
    } catch (const std::exception& error) {
        return showError(QString::fromLocal8Bit(error.what()));
    }
}

bool PlainTextArea::showError(const QString& message)
{
    // Ending the program here would throw the typed text away: say what failed and stay.
    prompter_.ask(&window_,
                  {Prompter::Kind::Error, QStringLiteral("Error"), QStringLiteral("ERROR: ") + message, false});
    return false;
}

} // namespace vendrel::gui
