#include "core/bulk/sort_key_table.h"

#include "platform/text_case.h"

#include <algorithm>
#include <exception>
#include <thread>

namespace vendrel {
namespace {

// Below this many texts a second thread costs more than it saves.
constexpr std::size_t textsPerThread = 20000;
constexpr std::size_t maximumThreads = 4;
constexpr std::size_t expectedKeyBytes = 96;

std::size_t threadCountFor(std::size_t count)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(count / textsPerThread, 1, std::min(cores, maximumThreads));
}

} // namespace

SortKeyTable::SortKeyTable(std::size_t count, const TextSource& textOf)
{
    const std::size_t threads = threadCountFor(count);
    shareSize_ = std::max<std::size_t>(1, (count + threads - 1) / threads);
    shares_.resize(threads);
    std::vector<std::exception_ptr> failures(threads);

    auto fill = [&](std::size_t shareIndex) {
        try {
            Share& share = shares_[shareIndex];
            share.first = shareIndex * shareSize_;
            const std::size_t end = std::min(count, share.first + shareSize_);
            platform::LocaleSortKeys collator;
            std::string scratch;
            const std::size_t texts = end - std::min(end, share.first);
            share.offsets.reserve(texts + 1);
            // Room for typical keys up front: growing a buffer of many
            // megabytes copies it, while reserved pages never written cost nothing.
            share.keys.reserve(texts * expectedKeyBytes);
            for (std::size_t i = share.first; i < end; ++i) {
                share.offsets.push_back(share.keys.size());
                collator.append(textOf(i, scratch), share.keys);
            }
            share.offsets.push_back(share.keys.size());
        } catch (...) {
            failures[shareIndex] = std::current_exception();
        }
    };

    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(fill, i);
    fill(0);
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

SortKeyTable::Key SortKeyTable::key(std::size_t index) const
{
    const Share& share = shares_[index / shareSize_];
    const std::size_t local = index - share.first;
    const std::uint64_t start = share.offsets[local];
    return {share.keys.data() + start, static_cast<std::uint32_t>(share.offsets[local + 1] - start - 1)};
}

} // namespace vendrel
