#pragma once

#include <cstddef>
#include <functional>

namespace vendrel {

// Progress of a long file operation, reported for the progress bar: each
// phase starts with position 0 and a caption, then advances towards `maximum`.
// Either callback may be empty.
struct Progress {
    std::function<void(const char* caption, std::size_t maximum)> startPhase;
    std::function<void(std::size_t position)> advance;

    void start(const char* caption, std::size_t lines) const
    {
        if (startPhase)
            startPhase(caption, lines == 0 ? 0 : lines - 1);
    }
    // Reports every 4096th position, which keeps a million-line pass cheap.
    void step(std::size_t position) const
    {
        if (advance && position % 4096 == 0)
            advance(position);
    }
};

} // namespace vendrel
