#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// Reads (and, to play another user, changes) an account set's SQLite file behind the server's back.
class AccountSetFile {
public:
    struct Node {
        bool exists = false;
        QString parId;
        int level = 0;
        int hasChild = 0;
    };

    explicit AccountSetFile(const QString& path);
    ~AccountSetFile();
    AccountSetFile(const AccountSetFile&) = delete;
    AccountSetFile& operator=(const AccountSetFile&) = delete;

    Node Get(const QString& table, const QString& id) const;
    // The first column of every row, as text.
    QStringList Column(const QString& sql) const;
    int Count(const QString& sql) const;
    void Exec(const QString& sql);
    QString Error() const { return FError; }

private:
    sqlite3* FDb = nullptr;
    mutable QString FError;
};
