#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Reader of an initialization file in GBK (UTF-8 when it starts with a UTF-8 byte-order mark):
// case-insensitive section and key names (ASCII letters folded), values trimmed and cut to
// their first 2047 bytes in the file's encoding. The file is parsed again only when its size,
// modification time or identity changed, so that reads stay cheap and edits are seen at once.
class TCfgFileReader {
public:
    struct Entry {
        QString key;
        QString value;
    };

    explicit TCfgFileReader(QString fileName);

    bool FileExists() const;
    // The key's trimmed value, or def when the file, section or key is absent.
    QString ReadString(const QString& section, const QString& key, const QString& def);
    // Every key=value pair of the section, in file order.
    QList<Entry> ReadSectionValues(const QString& section);

    static constexpr int MaxValueBytes = 2047;

private:
    struct Section {
        QList<Entry> entries;
        QHash<QString, qsizetype> index; // folded key -> first entry
    };
    struct Stamp {
        qint64 size = -1, mtimeNs = 0, ctimeNs = 0, inode = 0, device = 0;
        bool operator==(const Stamp&) const = default;
    };

    void Refresh();
    void Parse(const QByteArray& bytes);
    const Section* FindSection(const QString& section);

    QString FFileName;
    Stamp FStamp;
    qint64 FLoadedAtNs = 0;
    bool FLoaded = false;
    QHash<QString, Section> FSections; // folded section name -> section
};
