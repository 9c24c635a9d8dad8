#pragma once

#include <QString>

namespace vendrel::gui {

// The web pages the editor opens, and the help file it hands to the desktop.
namespace web_addresses {

inline const QString helpFileName = QStringLiteral("Vendrel.chm");
inline const QString makerSite = QStringLiteral("www.vendrel.example.org");
inline const QString makerPaymentAddress = QStringLiteral("donate@vendrel.example.org");
inline const QString forumSite = QStringLiteral("http://forums.rodavavur.example.net");
inline const QString mvpsSite = QStringLiteral("www.mvps.org");
inline const QString mvpsPage = mvpsSite + QStringLiteral("/winhelp2002/hosts.htm");
inline const QString hpHostsPage = QStringLiteral("http://hosts-file.net/");

// The payment service's donation form addressed to the maker, with the
// query keys in the order the form expects; "@" and "." of the address
// escaped, spaces in the item name left as they are.
QString donationAddress();

} // namespace web_addresses

} // namespace vendrel::gui
