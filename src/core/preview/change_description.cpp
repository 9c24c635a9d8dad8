#include "core/preview/change_summary.h"

#include <string>

namespace vendrel {
namespace {

// 1234567 as "1,234,567".
std::string grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

struct Kind {
    const char* label;
    std::size_t count;
    const std::vector<std::string>* examples;
};

std::vector<Kind> kindsOf(const ChangeSummary& s)
{
    return {
        {"Entries added", s.entriesAdded, &s.addedExamples},
        {"Duplicate entries removed", s.duplicatesRemoved, &s.duplicateExamples},
        {"Entries removed", s.entriesRemoved, &s.removedExamples},
        {"Entries moved to the other blocking address", s.rewritten, &s.rewrittenExamples},
        {"Comments dropped", s.commentsDropped, &s.commentExamples},
        {"Comments added", s.commentsAdded, &s.commentAddedExamples},
        {"Blank lines dropped", s.blanksDropped, nullptr},
        {"Blank lines added", s.blanksAdded, nullptr},
        {"Other lines dropped", s.otherLinesDropped, &s.otherDroppedExamples},
        {"Other lines added", s.otherLinesAdded, &s.otherAddedExamples},
    };
}

void appendExamples(std::string& out, const Kind& kind)
{
    if (!kind.examples || kind.examples->empty())
        return;
    out += '\n';
    out += kind.label;
    if (kind.examples->size() < kind.count)
        out += " (the first " + grouped(kind.examples->size()) + ")";
    out += ":\n";
    for (const std::string& line : *kind.examples)
        out.append("  ").append(line).append("\n");
}

} // namespace

std::string describeChange(const ChangeSummary& summary)
{
    std::string out = "Lines: " + grouped(summary.linesBefore) + " -> " + grouped(summary.linesAfter) + "\n";
    const std::vector<Kind> kinds = kindsOf(summary);
    bool changed = false;
    for (const Kind& kind : kinds) {
        if (kind.count == 0)
            continue;
        out.append(kind.label).append(": ").append(grouped(kind.count)).append("\n");
        changed = true;
    }
    if (!changed)
        out += "No line is added, removed or rewritten.\n";
    for (const Kind& kind : kinds)
        appendExamples(out, kind);
    return out;
}

} // namespace vendrel
