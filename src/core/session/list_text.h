#pragma once

#include "core/history/line_edit.h"
#include "core/hosts/hosts_file_access.h"
#include "core/session/planned_change.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// The cells of one row of the list.
struct ListRow {
    std::string address;
    std::string host;
};

// `removed` rows from `first` replaced by `rows`.
struct RowsReplacement {
    std::size_t first = 0;
    std::size_t removed = 0;
    std::vector<ListRow> rows;
};

// The hosts file's text when it is just what a save of its rows writes: each
// line a row's two cells with a TAB between them, ended by the text's one
// line break, and no byte-order mark. Each line is then its row, so that a
// change of a few rows replaces only their lines and makes no rows of the
// rest: a change of one line of a large list costs its write, not a load.
class ListText {
public:
    // The text of `file` when it is in that form; nothing otherwise.
    static std::optional<ListText> of(CurrentFile file);

    std::size_t rows() const { return rows_; }
    ListRow row(std::size_t row) const;

    // The change to the text with its rows replaced so, named `command`;
    // nothing, leaving the text as it is, when the new rows' lines would not
    // be one line each or the rows are not the text's.
    std::optional<PlannedChange> replaceRows(const std::string& path, std::string command,
                                             const RowsReplacement& replacement);

private:
    ListText(CurrentFile file, std::size_t rows, std::string_view lineBreak)
        : file_(std::move(file)), rows_(rows), lineBreak_(lineBreak)
    {
    }

    CurrentFile file_;
    std::size_t rows_ = 0;
    std::string_view lineBreak_;
};

// The change that makes `splice` in `file`'s text, named `command`: the text
// changed in place, its fingerprint worked out from the bytes in front of
// the splice and in it, the edit kept for the history. Nothing when the
// splice lies beyond the text.
std::optional<PlannedChange> planSplice(const std::string& path, std::string command, CurrentFile file,
                                        LineSplice splice);

// Whether `lines` are `count` lines, each ended by `lineBreak` and holding no
// other break: lines that can stand for `count` rows.
bool areListLines(std::string_view lines, std::size_t count, std::string_view lineBreak);

} // namespace vendrel
