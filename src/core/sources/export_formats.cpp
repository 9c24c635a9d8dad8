#include "core/sources/export_formats.h"

#include "core/download/blocking_list_filter.h"

#include <unordered_set>

namespace vendrel {
namespace {

constexpr std::string_view rpzHeader = "$TTL 300\n"
                                       "@ IN SOA localhost. root.localhost. 1 3600 600 86400 300\n"
                                       "@ IN NS localhost.\n";

void appendEntry(std::string& out, ExportFormat format, std::string_view name)
{
    switch (format) {
    case ExportFormat::Hosts:
        out.append("0.0.0.0 ").append(name);
        break;
    case ExportFormat::Domains:
        out.append(name);
        break;
    case ExportFormat::Dnsmasq:
        out.append("address=/").append(name).append("/#");
        break;
    case ExportFormat::Unbound:
        out.append("  local-zone: \"").append(name).append(".\" always_null");
        break;
    case ExportFormat::Rpz:
        out.append(name).append(" CNAME .");
        break;
    }
    out.push_back('\n');
}

} // namespace

std::optional<ExportFormat> exportFormatNamed(std::string_view name)
{
    if (name == "hosts")
        return ExportFormat::Hosts;
    if (name == "domains")
        return ExportFormat::Domains;
    if (name == "dnsmasq")
        return ExportFormat::Dnsmasq;
    if (name == "unbound")
        return ExportFormat::Unbound;
    if (name == "rpz")
        return ExportFormat::Rpz;
    return std::nullopt;
}

std::string exportBlockedNames(std::string_view hostsText, ExportFormat format, const SystemLines& systemLines)
{
    const BlockingNames blocked = blockingNamesOf(hostsText, "0.0.0.0", systemLines);
    std::string out;
    if (format == ExportFormat::Unbound)
        out = "server:\n";
    else if (format == ExportFormat::Rpz)
        out = rpzHeader;
    out.reserve(out.size() + blocked.names.size() * 32);
    for (const std::string& name : blocked.names)
        appendEntry(out, format, name);
    return out;
}

} // namespace vendrel
