#include "common/ktNetUtils.h"

#include "common/Exception.h"
#include "common/Helpers.h"
#include "common/Platform.h"

#include <QHostAddress>
#include <QHostInfo>

namespace {

bool isDottedIPv4(const QString& text)
{
    QHostAddress address;
    return text.count(u'.') == 3 && address.setAddress(text)
        && address.protocol() == QAbstractSocket::IPv4Protocol;
}

// The machine's address is looked up under its full host name: the short, upper-cased computer
// name may not be known to the resolver (long or fully qualified host names).
QString localAddress()
{
    const QString hostName = Platform::HostName();
    return ResolveHostAddress(hostName.isEmpty() ? GetLocalComputerName() : hostName);
}

} // namespace

QString ResolveHostAddress(const QString& host)
{
    if (SameText(host, QStringLiteral("localhost")))
        return QStringLiteral("127.0.0.1");
    if (isDottedIPv4(host))
        return host;
    const QHostInfo info = QHostInfo::fromName(host);
    if (info.error() == QHostInfo::NoError) {
        for (const QHostAddress& address : info.addresses()) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol)
                return address.toString();
        }
    }
    const QString reason
        = info.error() == QHostInfo::NoError ? QStringLiteral("Host not found") : info.errorString();
    throw Exception(QStringLiteral("Socket error: %1 (%2)").arg(reason, host));
}

QString GetLocalComputerName()
{
    const QString hostName = Platform::HostName();
    return hostName.left(hostName.indexOf(u'.')).toUpper().left(15);
}

bool IsLocalHost(const QString& serverName, bool resolveNames)
{
    if (SameText(serverName, QStringLiteral("localhost"))
        || SameText(serverName, QStringLiteral("127.0.0.1")))
        return true;
    if (SameText(serverName, GetLocalComputerName()))
        return true;
    const QString local = localAddress();
    if (SameText(serverName, local))
        return true;
    if (!resolveNames)
        return false;
    if (SameText(ResolveHostAddress(serverName), QStringLiteral("127.0.0.1")))
        return true;
    return SameText(ResolveHostAddress(serverName), local);
}
