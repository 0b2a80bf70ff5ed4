#include "server/ServerCommand.h"

#include "server/AccountSetStore.h"
#include "server/DemoBuilder.h"
#include "server/HierarchyCheck.h"
#include "server/ServerListener.h"
#include "server/ServerLog.h"
#include "server/ServerOptions.h"
#include "wire/ServerGuids.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

int fail(const QString& message)
{
    QTextStream(stderr) << "bksvr: " << message << '\n';
    return 1;
}

int serve(const ServerOptions& options)
{
    QString error;
    const std::unique_ptr<AccountSetStore> store = AccountSetStore::open(options.dir, &error);
    if (!store)
        return fail(error);
    ServerContext context;
    context.store = store.get();
    context.allowed = options.allowed;
    ServerListener listener(context);
    if (!listener.listen(options.listen, options.port))
        return fail(QStringLiteral("cannot listen on %1:%2: %3")
                        .arg(options.listen.toString())
                        .arg(options.port)
                        .arg(listener.errorString()));
    // Sessions start only from the event loop, after the identifier is settled.
    context.serverGuid
        = options.multi ? ServerGuids::ofPort(listener.serverPort()) : ServerGuids::defaultGuid();
    ServerLog::write(QStringLiteral("serving %1 as server class %2")
                         .arg(options.dir, context.serverGuid.toString(QUuid::WithBraces).toUpper()));
    const QByteArray line = QStringLiteral("listening on %1:%2\n")
                                .arg(listener.serverAddress().toString())
                                .arg(listener.serverPort())
                                .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
    return QCoreApplication::exec();
}

} // namespace

int ServerCommand::run(const QStringList& arguments)
{
    ServerOptions options;
    QString error;
    if (!ServerOptions::parse(arguments, &options, &error)) {
        QTextStream(stderr) << "bksvr: " << error << '\n' << ServerOptions::usage();
        return 2;
    }
    switch (options.mode) {
    case ServerOptions::Mode::Check: {
        QTextStream out(stdout);
        return HierarchyCheck::checkAll(options.dir, out);
    }
    case ServerOptions::Mode::InitDemo:
        if (!DemoBuilder::initDemo(
                options.dir, options.goods > 0 ? options.goods : DemoBuilder::DefaultGoods, &error))
            return fail(error);
        return 0;
    case ServerOptions::Mode::Serve:
        break;
    }
    return serve(options);
}
