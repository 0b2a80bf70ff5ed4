#include "server/ServerOptions.h"

namespace {

bool parseNumber(const QString& text, int min, int max, int* value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= min && *value <= max;
}

} // namespace

QString ServerOptions::usage()
{
    return QStringLiteral(
        "usage: bksvr --data DIR [--listen 127.0.0.1] [--port 211] [--multi] [--allow ADDR,...]\n"
        "       bksvr --check DIR\n"
        "       bksvr --init-demo DIR [--goods N]\n");
}

bool ServerOptions::parse(const QStringList& arguments, ServerOptions* options, QString* error)
{
    *options = ServerOptions();
    QStringList given; // options seen, to check they belong to the mode
    bool haveMode = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (given.contains(name)) {
            *error = QStringLiteral("%1 given twice").arg(name);
            return false;
        }
        given.append(name);
        if (name == u"--multi") {
            options->multi = true;
            continue;
        }
        if (i + 1 >= arguments.size() || !name.startsWith(u"--")) {
            *error = name.startsWith(u"--") ? QStringLiteral("%1 needs a value").arg(name)
                                            : QStringLiteral("unexpected argument \"%1\"").arg(name);
            return false;
        }
        const QString value = arguments[++i];
        if (name == u"--data" || name == u"--check" || name == u"--init-demo") {
            if (haveMode) {
                *error = QStringLiteral("give only one of --data, --check and --init-demo");
                return false;
            }
            haveMode = true;
            options->mode = name == u"--data" ? Mode::Serve
                : name == u"--check"          ? Mode::Check
                                              : Mode::InitDemo;
            options->dir = value;
        } else if (name == u"--listen") {
            if (!options->listen.setAddress(value)) {
                *error = QStringLiteral("--listen: \"%1\" is not an IP address").arg(value);
                return false;
            }
        } else if (name == u"--port") {
            int port;
            if (!parseNumber(value, 0, 65535, &port)) {
                *error = QStringLiteral("--port: \"%1\" is not a port number").arg(value);
                return false;
            }
            options->port = quint16(port);
        } else if (name == u"--allow") {
            for (const QString& item : value.split(u',', Qt::SkipEmptyParts)) {
                QHostAddress address;
                if (!address.setAddress(item.trimmed())) {
                    *error = QStringLiteral("--allow: \"%1\" is not an IP address").arg(item.trimmed());
                    return false;
                }
                options->allowed.append(address);
            }
            if (options->allowed.isEmpty()) {
                *error = QStringLiteral("--allow needs at least one address");
                return false;
            }
        } else if (name == u"--goods") {
            if (!parseNumber(value, 1, 10'000'000, &options->goods)) {
                *error = QStringLiteral("--goods: \"%1\" is not a number from 1 to 10000000").arg(value);
                return false;
            }
        } else {
            *error = QStringLiteral("unknown option %1").arg(name);
            return false;
        }
    }
    if (!haveMode) {
        *error = QStringLiteral("give one of --data, --check and --init-demo");
        return false;
    }
    const QStringList serveOnly = { QStringLiteral("--listen"), QStringLiteral("--port"),
        QStringLiteral("--multi"), QStringLiteral("--allow") };
    for (const QString& name : given) {
        const bool fits = name == u"--goods" ? options->mode == Mode::InitDemo
            : serveOnly.contains(name)       ? options->mode == Mode::Serve
                                             : true;
        if (!fits) {
            *error = QStringLiteral("%1 does not go with this mode").arg(name);
            return false;
        }
    }
    return true;
}
