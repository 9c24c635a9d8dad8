#include "core/download/transfer_text.h"

#include "core/text/ascii_text.h"

namespace vendrel::transfer_text {

std::string printable(std::string_view text)
{
    std::string kept;
    for (const char c : text.substr(0, 200))
        if (c >= ' ' && c <= '~')
            kept += c;
    return kept;
}

std::string statusAnswer(std::string_view statusLine, long code)
{
    const std::string codeText = std::to_string(code);
    const std::size_t space = statusLine.find(' ');
    const std::string_view rest = space == std::string_view::npos ? std::string_view()
                                                                  : trimSpaceAndControls(statusLine.substr(space));
    if (!rest.starts_with(codeText))
        return codeText;
    return std::string(trimSpaceAndControls(printable(rest)));
}

std::string sizeText(std::uint64_t bytes)
{
    constexpr std::uint64_t mebibyte = std::uint64_t{1} << 20;
    if (bytes % mebibyte == 0)
        return std::to_string(bytes / mebibyte) + " MiB";
    return std::to_string(bytes) + " bytes";
}

std::string secondsText(int seconds) { return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds"); }

} // namespace vendrel::transfer_text
