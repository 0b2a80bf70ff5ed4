#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Reader of an initialization file in GBK (UTF-8 when it starts with a UTF-8 byte-order mark):
// "[section]" and "key=value" lines, ";" comment lines; section and key names match without
// regard to the case of ASCII letters; values are trimmed and cut to their first 2047 bytes in
// the file's encoding, never inside a character. The file is parsed again only when it changed
// (size, modification time, identity), so that reads stay cheap and an edit is seen at once.
class TCfgFileReader {
public:
    struct Entry {
        QString key;
        QString value;
    };

    explicit TCfgFileReader(QString fileName);

    const QString& FileName() const { return FFileName; }
    bool FileExists() const;

    // Brings the parsed content up to date with the file; the lookups below read that content.
    void Refresh();
    // The key's value, or def when the file, section or key is absent.
    QString Value(const QString& section, const QString& key, const QString& def) const;
    // Every key=value pair of the section, in file order.
    QList<Entry> SectionValues(const QString& section) const;

    // Refresh, then Value.
    QString ReadString(const QString& section, const QString& key, const QString& def);

    static constexpr int MaxValueBytes = 2047;

private:
    // A section or key name: hashed and compared without regard to the case of ASCII letters,
    // so that a lookup needs no folded copy of the name.
    struct Name {
        QString text;
        bool operator==(const Name& other) const;
        size_t hash(size_t seed) const noexcept;
        friend size_t qHash(const Name& name, size_t seed) noexcept { return name.hash(seed); }
    };
    struct Section {
        QList<Entry> entries;
        QHash<Name, qsizetype> index; // key -> its first entry
    };
    struct Stamp {
        qint64 size = -1, mtimeNs = 0, ctimeNs = 0, inode = 0, device = 0;
        bool operator==(const Stamp&) const = default;
    };

    void Parse(const QByteArray& bytes);

    QString FFileName;
    QByteArray FEncodedName;
    Stamp FStamp;
    qint64 FCheckedAtNs = 0;
    QByteArray FBytes;
    bool FParsed = false;
    QHash<Name, Section> FSections;
};
