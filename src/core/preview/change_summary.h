#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// What a command would do to the hosts file, told from the text before and
// after it: the two texts compared as multisets of lines (their order does
// not count), each line read as one of four kinds.
//   - An entry: a first word (the address) and a host part, the text after
//     it up to a '#'. Entries compare by address and host part with ASCII
//     letters lower-cased and runs of blanks and TABs read as one blank, so
//     that a sort's reformatting (TABs, trailing comments, case) is no change.
//   - A comment: '#' is its first character after leading blanks and
//     controls; compared by its text without leading and trailing ones, with
//     each run of blanks and TABs read as one blank (a save's TAB after '#').
//   - A blank line: nothing but blanks and controls; all are equal.
//   - Another line: a single word without a host part ("0.0.0.0" alone, a
//     bare domain name, "0.0.0.0 # note"); compared by that word, lower-cased.
//     They have a kind of their own, since they are neither entries nor comments.
// Equal lines before and after pair up first. An entry of a host under one
// blocking address (0.0.0.0, 127.0.0.1) before and under the other after is
// rewritten. What is left of the text before was dropped, what is left of the
// text after was added. So that, always,
//   linesAfter == linesBefore + entriesAdded + commentsAdded + blanksAdded + otherLinesAdded
//                 - duplicatesRemoved - entriesRemoved - commentsDropped - blanksDropped - otherLinesDropped.
// A UTF-8 byte-order mark in front of either text is not part of its first line.
// Lines compare by 60-bit hashes of these keys; two different keys of a
// million-line file share one with a chance of about one in a million.
struct ChangeSummary {
    std::size_t linesBefore = 0;
    std::size_t linesAfter = 0;
    // Entries after beyond those of the same address and host before (a new
    // host, a host under a further address, or one more copy of an entry).
    std::size_t entriesAdded = 0;
    // Entries dropped while an entry of the same host stays under the same
    // address, or under the other blocking address for a blocking one.
    std::size_t duplicatesRemoved = 0;
    // Entries dropped that leave no such entry behind.
    std::size_t entriesRemoved = 0;
    std::size_t commentsDropped = 0;
    std::size_t commentsAdded = 0;
    std::size_t blanksDropped = 0;
    std::size_t blanksAdded = 0;
    std::size_t otherLinesDropped = 0;
    std::size_t otherLinesAdded = 0;
    // Entries whose host moved from one blocking address to the other.
    std::size_t rewritten = 0;
    // The first lines of each kind (at most `examplesPerKind`, one per key),
    // as they stand in the text: added ones from the text after, the others
    // (rewritten ones too) from the text before.
    std::vector<std::string> addedExamples, duplicateExamples, removedExamples, commentExamples, rewrittenExamples;
    std::vector<std::string> commentAddedExamples, otherDroppedExamples, otherAddedExamples;
};

// Compares the texts in time and memory linear in their size (about 24 bytes
// a line at the peak).
ChangeSummary summarizeChange(std::string_view before, std::string_view after, std::size_t examplesPerKind = 5);

// The summary as lines of text for a message's details and the command line:
// "Lines: 1,000,000 -> 812,345", then each count that is not zero
// ("Entries added: 12"), then the examples, each kind under a heading.
std::string describeChange(const ChangeSummary& summary);

} // namespace vendrel
