#pragma once

#include <QString>

// "localhost" gives "127.0.0.1", a dotted IPv4 address is returned as it is, any other name is
// looked up with the system resolver and its first IPv4 address returned. Raises Exception with
// the resolver's error when the name can't be resolved.
QString ResolveHostAddress(const QString& host);
// The machine's host name up to the first dot, upper-cased, at most 15 characters.
QString GetLocalComputerName();
// Whether the server name denotes this machine; with resolveNames false nothing is looked up
// for the server name itself. Resolver errors reach the caller.
bool IsLocalHost(const QString& serverName, bool resolveNames);
