#include "vendrel/web_addresses.h"

namespace vendrel::gui {

namespace web_addresses {
namespace {

QString escapeDots(QString text) { return text.replace(QLatin1Char('.'), QStringLiteral("%2e")); }

} // namespace

QString donationAddress()
{
    QString business = escapeDots(makerPaymentAddress);
    business.replace(QLatin1Char('@'), QStringLiteral("%40"));
    return QStringLiteral("https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=") + business +
           QStringLiteral("&item_name=Vendrel by ") + escapeDots(makerSite) +
           QStringLiteral("&no_shipping=0&no_note=1&tax=0&currency_code=USD");
}

} // namespace web_addresses

} // namespace vendrel::gui
