#pragma once

#include <QString>

// Who is calling, as the session learnt it (peer address; computer name from ConnectDb).
// Written into the move journal.
struct ClientInfo {
    QString address;
    QString computerName;
};
