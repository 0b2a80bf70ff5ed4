#include "server/DemoTable.h"

#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"

#include <vector>

namespace {
// Records first given to every node, so every level holds some; the rest go to the deepest classes.
constexpr int RecordsPerNode = 2;
const QString ProtectedId = QStringLiteral("99999");

struct Node {
    QString id;
    int parent; // index, -1 for the root
    int level;
    QString name;
    QString code;
    int children = 0; // children numbered so far, for the next id
    bool hasSubclass = false;
};

QString childId(const Node& parent, int number)
{
    const QString own = QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0'));
    return parent.level == 0 ? own : parent.id + own;
}

std::vector<Node> parseOutline(const QString& rootName, const QString& outline)
{
    std::vector<Node> nodes { Node { QStringLiteral("00000"), -1, 0, rootName, QString() } };
    std::vector<int> open { 0 }; // open[level] = index of the latest class at that level
    for (const QString& line : outline.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const int level = int(line.size() - line.trimmed().size()) + 1;
        QString name = line.trimmed();
        const bool isProtected = name.startsWith(QLatin1Char('!'));
        if (isProtected)
            name.remove(0, 1);
        open.resize(level);
        const int parent = open[level - 1];
        Node& p = nodes[parent];
        const int number = ++p.children;
        p.hasSubclass = true;
        const QString id = isProtected ? ProtectedId : childId(p, number);
        const QString code = p.code + QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
        nodes.push_back(Node { id, parent, level, name, code });
        open.push_back(int(nodes.size()) - 1);
    }
    return nodes;
}
}

bool DemoTable::build(SqliteConnection& db, int records, QString* error) const
{
    QStringList columns { QStringLiteral("UserCode TEXT"), QStringLiteral("FullName TEXT") };
    columns += extraColumns;
    if (!BaseInfoSchema::createBaseInfoTable(db, table, columns, error))
        return false;

    std::vector<Node> nodes = parseOutline(rootName, outline);
    const int classCount = int(nodes.size());
    std::vector<int> quota(classCount, 0);
    int left = records;
    for (int i = 0; i < classCount && left > 0; ++i) {
        quota[i] = qMin(RecordsPerNode, left);
        left -= quota[i];
    }
    std::vector<int> deepest;
    for (int i = 0; i < classCount; ++i)
        if (!nodes[i].hasSubclass)
            deepest.push_back(i);
    for (size_t k = 0; k < deepest.size(); ++k)
        quota[deepest[k]] += left / int(deepest.size()) + (int(k) < left % int(deepest.size()) ? 1 : 0);

    QString placeholders;
    for (int i = 1; i <= 7 + extraColumns.size(); ++i)
        placeholders += QStringLiteral("%1?%2").arg(i > 1 ? QStringLiteral(", ") : QString()).arg(i);
    SqliteStatement insert(db.handle(),
        QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(BaseInfoSchema::quoted(table.name), placeholders));
    if (!insert.isValid()) {
        *error = insert.errorText();
        return false;
    }
    int recNo = 0;
    auto add = [&](const QString& id, const Node* parent, const QString& code, const QString& name,
                   const QVariantList& values) {
        insert.bind(1, qint64(++recNo)).bind(2, id);
        if (parent)
            insert.bind(3, parent->id);
        insert.bind(4, qint64(parent ? parent->level + 1 : 0)).bind(5, qint64(0)).bind(6, code).bind(7, name);
        for (int i = 0; i < values.size(); ++i)
            insert.bind(8 + i, values[i]);
        return insert.exec();
    };

    bool ok = add(nodes[0].id, nullptr, nodes[0].code, nodes[0].name, {});
    for (int i = 1; ok && i < classCount; ++i)
        ok = add(nodes[i].id, &nodes[nodes[i].parent], nodes[i].code, nodes[i].name, {});
    int serial = 0;
    for (int i = 0; ok && i < classCount; ++i) {
        Node& parent = nodes[i];
        for (int n = 0; ok && n < quota[i]; ++n) {
            ++serial;
            const QString code = QStringLiteral("%1%2").arg(codePrefix).arg(serial, 6, 10, QLatin1Char('0'));
            ok = add(childId(parent, ++parent.children), &parent, code, recordName(serial, parent.name),
                recordValues(serial));
        }
    }
    if (!ok) {
        *error = insert.errorText();
        return false;
    }
    const QString name = BaseInfoSchema::quoted(table.name);
    return db.exec(
        QStringLiteral("UPDATE %1 SET HasChild = EXISTS (SELECT 1 FROM %1 c WHERE c.ParId = %1.TypeId)")
            .arg(name),
        error);
}
