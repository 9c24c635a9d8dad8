#pragma once

#include "core/download/blocking_list_filter.h"
#include "core/sources/block_list_sources.h"

#include <string>
#include <string_view>

namespace vendrel {

// Whether `bytes` begin as a ZIP archive does.
bool isZipArchive(std::string_view bytes);

// The hosts-format or one-domain-a-line text that a body `source` served
// holds: a ZIP archive (told by its first bytes, whatever the address is
// called) is unpacked first. Throws Error saying what the body is instead
// when it is no block list: an archive where `source` says text, or text
// where it says zip, an archive without the list, binary data, an HTML page.
std::string listTextOfBody(std::string bytes, const ListSource& source);

// The names a served body blocks (blockingNamesOf its list text); a body
// that blocks no name at all is refused as no block list.
BlockingNames blockedNamesOfBody(std::string bytes, const ListSource& source, std::string_view address,
                                 const SystemLines& systemLines);

} // namespace vendrel
