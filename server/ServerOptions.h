#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

// bksvr's command line:
//   bksvr --data DIR [--listen 127.0.0.1] [--port 211] [--multi] [--allow ADDR,...]
//   bksvr --check DIR
//   bksvr --init-demo DIR [--goods N]
struct ServerOptions {
    enum class Mode { Serve, Check, InitDemo };

    Mode mode = Mode::Serve;
    QString dir;
    QHostAddress listen = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 211;
    bool multi = false;
    QList<QHostAddress> allowed;
    int goods = 0; // 0: the demo builder's default

    // arguments without the program name. false and *error for anything unknown or malformed.
    static bool parse(const QStringList& arguments, ServerOptions* options, QString* error);
    static QString usage();
};
