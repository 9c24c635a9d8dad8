#include "core/preview/change_summary.h"

#include "core/hosts/text_file.h"
#include "core/preview/change_examples.h"
#include "core/preview/change_groups.h"
#include "core/preview/key_sort.h"
#include "core/preview/line_key.h"
#include "core/preview/text_lines.h"

#include <cstdint>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace vendrel {
namespace {

std::vector<std::uint64_t> lineKeys(std::string_view text)
{
    std::vector<std::uint64_t> keys;
    keys.reserve(countTextLines(text));
    std::string scratch;
    forEachLine(text, [&](std::string_view line) { keys.push_back(lineKey(line, scratch)); });
    return keys;
}

// The keys of both texts, each text read on a core of its own where a second
// thread can be had; sorted one after the other, through one buffer.
std::pair<std::vector<std::uint64_t>, std::vector<std::uint64_t>> sortedLineKeys(std::string_view before,
                                                                                 std::string_view after)
{
    std::vector<std::uint64_t> keysAfter;
    std::optional<std::thread> reader;
    try {
        reader.emplace([&] { keysAfter = lineKeys(after); });
    } catch (const std::system_error&) {
        keysAfter = lineKeys(after);
    }
    std::vector<std::uint64_t> keysBefore = lineKeys(before);
    if (reader)
        reader->join();
    std::vector<std::uint64_t> buffer;
    sortKeys(keysBefore, buffer);
    sortKeys(keysAfter, buffer);
    return {std::move(keysBefore), std::move(keysAfter)};
}

void tally(ChangeSummary& summary, const KeyGroup& group, const GroupOutcome& outcome)
{
    const std::size_t dropped = outcome.dropped[0] + outcome.dropped[1];
    const std::size_t added = outcome.added[0] + outcome.added[1];
    switch (group.kind) {
    case LineKind::BlockingEntry:
    case LineKind::OtherEntry:
        summary.rewritten += outcome.rewritten[0] + outcome.rewritten[1];
        (outcome.droppedWereDuplicates ? summary.duplicatesRemoved : summary.entriesRemoved) += dropped;
        summary.entriesAdded += added;
        break;
    case LineKind::Comment:
        summary.commentsDropped += dropped;
        summary.commentsAdded += added;
        break;
    case LineKind::Blank:
        summary.blanksDropped += dropped;
        summary.blanksAdded += added;
        break;
    case LineKind::Other:
        summary.otherLinesDropped += dropped;
        summary.otherLinesAdded += added;
        break;
    }
}

void takeExamples(ChangeSummary& summary, ChangeExamples& examples)
{
    const std::pair<std::vector<std::string>*, ExampleKind> kinds[] = {
        {&summary.addedExamples, ExampleKind::Added},
        {&summary.duplicateExamples, ExampleKind::Duplicate},
        {&summary.removedExamples, ExampleKind::Removed},
        {&summary.commentExamples, ExampleKind::CommentDropped},
        {&summary.rewrittenExamples, ExampleKind::Rewritten},
        {&summary.commentAddedExamples, ExampleKind::CommentAdded},
        {&summary.otherDroppedExamples, ExampleKind::OtherDropped},
        {&summary.otherAddedExamples, ExampleKind::OtherAdded},
    };
    for (const auto& [lines, kind] : kinds)
        *lines = std::move(examples.of(kind));
}

} // namespace

ChangeSummary summarizeChange(std::string_view markedBefore, std::string_view markedAfter, std::size_t examplesPerKind)
{
    const std::string_view before = withoutByteOrderMark(markedBefore);
    const std::string_view after = withoutByteOrderMark(markedAfter);
    auto [keysBefore, keysAfter] = sortedLineKeys(before, after);

    ChangeSummary summary;
    summary.linesBefore = keysBefore.size();
    summary.linesAfter = keysAfter.size();
    ChangeExamples examples(examplesPerKind);
    forEachKeyGroup(keysBefore, keysAfter, [&](const KeyGroup& group) {
        const GroupOutcome outcome = outcomeOf(group);
        tally(summary, group, outcome);
        examples.count(group, outcome);
    });
    if (!examples.wanted())
        return summary;
    examples.reserve();
    forEachKeyGroup(keysBefore, keysAfter, [&](const KeyGroup& group) { examples.collect(group, outcomeOf(group)); });
    keysBefore = {};
    keysAfter = {};
    examples.find(before, after);
    takeExamples(summary, examples);
    return summary;
}

} // namespace vendrel
