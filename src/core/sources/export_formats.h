#pragma once

#include "core/hosts/system_lines.h"

#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

// The forms in which the blocking entries go to a network's resolver.
enum class ExportFormat { Hosts, Domains, Dnsmasq, Unbound, Rpz };

std::optional<ExportFormat> exportFormatNamed(std::string_view name);

// The names the hosts text blocks (entries of 0.0.0.0 or 127.0.0.1, but
// for the system's own lines and localhost), each once, in lower case and
// sorted, written as `format` has them: hosts ("0.0.0.0 name"), domains
// (a name a line), dnsmasq ("address=/name/#"), unbound ("local-zone:
// "name." always_null" after "server:") or an RPZ zone ("name CNAME .").
// dnsmasq and unbound block the names below each name too, as they work.
std::string exportBlockedNames(std::string_view hostsText, ExportFormat format, const SystemLines& systemLines);

} // namespace vendrel
