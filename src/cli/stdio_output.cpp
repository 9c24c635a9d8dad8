#include "cli/stdio_output.h"

#include <cerrno>

namespace vendrel::cli {

std::streambuf::int_type StdioOutput::overflow(int_type character)
{
    if (traits_type::eq_int_type(character, traits_type::eof()))
        return traits_type::not_eof(character);
    if (std::fputc(traits_type::to_char_type(character), file_) == EOF) {
        keepFailure();
        return traits_type::eof();
    }
    return character;
}

std::streamsize StdioOutput::xsputn(const char* text, std::streamsize size)
{
    const std::size_t written = std::fwrite(text, 1, static_cast<std::size_t>(size), file_);
    if (written < static_cast<std::size_t>(size))
        keepFailure();
    return static_cast<std::streamsize>(written);
}

int StdioOutput::sync()
{
    if (std::fflush(file_) == 0)
        return 0;
    keepFailure();
    return -1;
}

void StdioOutput::keepFailure()
{
    if (!failure_)
        failure_ = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

std::error_code writeFailure(std::ostream& stream)
{
    stream.flush();
    if (stream.good())
        return {};
    const auto* output = dynamic_cast<const StdioOutput*>(stream.rdbuf());
    return output && output->failure() ? output->failure() : std::make_error_code(std::errc::io_error);
}

} // namespace vendrel::cli
