#pragma once

#include <QHostAddress>
#include <QList>
#include <QUuid>

class AccountSetStore;

// What every session of one bksvr shares; read-only while it serves.
struct ServerContext {
    const AccountSetStore* store = nullptr;
    QUuid serverGuid; // the class identifier this server answers to
    QList<QHostAddress> allowed; // empty: every client address may log on
};
