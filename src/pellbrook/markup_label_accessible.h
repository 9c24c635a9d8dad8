#pragma once

namespace pellbrook {

class MarkupLabel;

// Makes assistive technology read the label as it is shown: its name is
// MarkupLabel::shownText() unless an accessible name was set, and a link
// label has the link role and a press action that clicks it. Each label
// calls this once it is built.
void makeAccessible(MarkupLabel& label);

} // namespace pellbrook
