#include "server/ServerCommand.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return ServerCommand::run(app.arguments().mid(1));
}
