#include "core/preview/line_diff.h"

#include <algorithm>
#include <cstdint>

namespace vendrel {
namespace {

// The furthest old index reached on diagonals -d..d (k = old index - new
// index) in round d, at [k + d]; -1 where no path of d edits stays inside
// the texts. Texts of at most 1 GiB have fewer lines than 32 bits count.
using Diagonals = std::vector<std::int32_t>;
constexpr std::int32_t unreached = -1;

// How round d reaches diagonal k from round d - 1: down from k + 1 (a line
// added) or across from k - 1 (a line removed), whichever goes further and
// stays inside the texts.
struct Step {
    std::int64_t x = unreached; // old index reached before the run of equal lines
    bool added = false;
};

Step stepTo(const Diagonals& previous, std::int64_t d, std::int64_t k, std::int64_t n, std::int64_t m)
{
    const auto at = [&](std::int64_t diagonal) -> std::int64_t {
        if (diagonal < -(d - 1) || diagonal > d - 1)
            return unreached;
        return previous[static_cast<std::size_t>(diagonal + d - 1)];
    };
    Step step;
    if (const std::int64_t from = at(k + 1); from != unreached && from - k <= m)
        step = {from, true};
    if (const std::int64_t from = at(k - 1); from != unreached && from + 1 <= n && from + 1 > step.x)
        step = {from + 1, false};
    return step;
}

// Adds an edit of one line to the blocks, which are built from the end.
void prependEdit(std::vector<DiffBlock>& reversed, std::size_t oldAt, std::size_t newAt, bool added)
{
    const std::size_t oldEnd = added ? oldAt : oldAt + 1;
    const std::size_t newEnd = added ? newAt + 1 : newAt;
    if (!reversed.empty() && reversed.back().oldBegin == oldEnd && reversed.back().newBegin == newEnd) {
        reversed.back().oldBegin = oldAt;
        reversed.back().newBegin = newAt;
        return;
    }
    reversed.push_back({oldAt, oldEnd, newAt, newEnd});
}

// Follows the rounds back from the end to the start: each round added or
// removed the one line before the run of equal lines that ends where it reached.
std::vector<DiffBlock> backtrack(const std::vector<Diagonals>& rounds, std::int64_t n, std::int64_t m)
{
    std::vector<DiffBlock> reversed;
    std::int64_t x = n;
    std::int64_t y = m;
    for (auto d = static_cast<std::int64_t>(rounds.size()) - 1; d > 0; --d) {
        const std::int64_t k = x - y;
        const Step step = stepTo(rounds[static_cast<std::size_t>(d - 1)], d, k, n, m);
        x = step.added ? step.x : step.x - 1;
        y = step.added ? step.x - k - 1 : step.x - k;
        prependEdit(reversed, static_cast<std::size_t>(x), static_cast<std::size_t>(y), step.added);
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

} // namespace

std::optional<std::vector<DiffBlock>> shortestLineDiff(std::size_t oldCount, std::size_t newCount,
                                                       const std::function<bool(std::size_t, std::size_t)>& equal,
                                                       const DiffLimits& limits)
{
    const auto n = static_cast<std::int64_t>(oldCount);
    const auto m = static_cast<std::int64_t>(newCount);
    const auto maxD = static_cast<std::int64_t>(std::min(limits.maxEdits, oldCount + newCount));
    std::vector<Diagonals> rounds;
    std::size_t work = 0;
    for (std::int64_t d = 0; d <= maxD; ++d) {
        Diagonals current(static_cast<std::size_t>(2 * d + 1), unreached);
        for (std::int64_t k = -d; k <= d; k += 2) {
            std::int64_t x = d == 0 ? 0 : stepTo(rounds.back(), d, k, n, m).x;
            if (x == unreached)
                continue;
            const auto same = [&](std::int64_t i, std::int64_t j) {
                return equal(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
            };
            for (std::int64_t y = x - k; x < n && y < m && same(x, y); ++x, ++y)
                ++work;
            current[static_cast<std::size_t>(k + d)] = static_cast<std::int32_t>(x);
            if (x == n && x - k == m) {
                rounds.push_back(std::move(current));
                return backtrack(rounds, n, m);
            }
            if (++work > limits.maxWork)
                return std::nullopt;
        }
        rounds.push_back(std::move(current));
    }
    return std::nullopt;
}

} // namespace vendrel
