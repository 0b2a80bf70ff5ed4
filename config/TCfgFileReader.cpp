#include "config/TCfgFileReader.h"

#include "common/Helpers.h"

#include <QFile>
#include <QStringDecoder>
#include <ctime>
#include <sys/stat.h>

namespace {

// A file changed again within the resolution of its time stamps looks unchanged; content read
// this close to its last modification is checked again at the next read.
constexpr qint64 RacyWindowNs = 2'000'000'000;

char16_t fold(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? c + 32 : c;
}

QByteArray trimmed(QByteArray bytes)
{
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && quint8(bytes[begin]) <= 0x20)
        ++begin;
    while (end > begin && quint8(bytes[end - 1]) <= 0x20)
        --end;
    return bytes.mid(begin, end - begin);
}

qsizetype characterLength(const QByteArray& bytes, qsizetype at, bool utf8)
{
    const quint8 lead = quint8(bytes[at]);
    if (!utf8)
        return lead >= 0x81 && lead <= 0xFE ? 2 : 1;
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// At most maxBytes bytes, never ending inside a character.
QByteArray cut(const QByteArray& bytes, qsizetype maxBytes, bool utf8)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype end = 0;
    for (;;) {
        const qsizetype next = end + characterLength(bytes, end, utf8);
        if (next > maxBytes)
            break;
        end = next;
    }
    return bytes.left(end);
}

qint64 nowNs()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

bool TCfgFileReader::Name::operator==(const Name& other) const
{
    return SameText(text, other.text);
}

size_t TCfgFileReader::Name::hash(size_t seed) const noexcept
{
    size_t hash = seed ^ 0x9E3779B97F4A7C15u;
    for (const QChar c : text)
        hash = (hash ^ fold(c.unicode())) * 0x100000001B3u;
    return hash;
}

TCfgFileReader::TCfgFileReader(QString fileName)
    : FFileName(std::move(fileName))
    , FEncodedName(QFile::encodeName(FFileName))
{
}

bool TCfgFileReader::FileExists() const
{
    struct stat info;
    return stat(FEncodedName.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

void TCfgFileReader::Refresh()
{
    Stamp stamp;
    struct stat info;
    if (stat(FEncodedName.constData(), &info) == 0 && S_ISREG(info.st_mode)) {
        stamp.size = info.st_size;
        stamp.mtimeNs = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        stamp.ctimeNs = qint64(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
        stamp.inode = qint64(info.st_ino);
        stamp.device = qint64(info.st_dev);
    }
    const bool racy = stamp.size >= 0 && stamp.mtimeNs + RacyWindowNs > FCheckedAtNs;
    if (stamp == FStamp && !racy)
        return;
    FCheckedAtNs = nowNs();
    FStamp = stamp;
    QByteArray bytes;
    if (stamp.size >= 0) {
        QFile file(FFileName);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    if (FParsed && bytes == FBytes)
        return;
    FBytes = bytes;
    Parse(bytes);
    FParsed = true;
}

void TCfgFileReader::Parse(const QByteArray& content)
{
    FSections.clear();
    QByteArray bytes = content;
    const bool utf8 = bytes.startsWith("\xEF\xBB\xBF");
    if (utf8)
        bytes.remove(0, 3);
    QStringDecoder decoder = utf8 ? QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless)
                                  : QStringDecoder("GBK", QStringDecoder::Flag::Stateless);
    Section* section = nullptr;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        const QByteArray line = trimmed(rawLine);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const QString text = decoder.decode(line);
            const qsizetype close = text.indexOf(u']');
            const QString name = Trim(text.mid(1, close < 0 ? -1 : close - 1));
            section = &FSections[Name { name }];
            continue;
        }
        // "=" (0x3D) is never part of a double-byte character in either encoding.
        const qsizetype equals = line.indexOf('=');
        if (!section || equals < 0)
            continue;
        const QString key = QString(decoder.decode(trimmed(line.left(equals))));
        if (key.isEmpty())
            continue;
        const QString value = decoder.decode(cut(trimmed(line.mid(equals + 1)), MaxValueBytes, utf8));
        if (!section->index.contains(Name { key }))
            section->index.insert(Name { key }, section->entries.size());
        section->entries.append({ key, value });
    }
}

QString TCfgFileReader::Value(const QString& section, const QString& key, const QString& def) const
{
    const auto s = FSections.constFind(Name { section });
    if (s == FSections.constEnd())
        return def;
    const auto k = s->index.constFind(Name { key });
    return k == s->index.constEnd() ? def : s->entries[*k].value;
}

QList<TCfgFileReader::Entry> TCfgFileReader::SectionValues(const QString& section) const
{
    const auto s = FSections.constFind(Name { section });
    return s == FSections.constEnd() ? QList<Entry>() : s->entries;
}

QString TCfgFileReader::ReadString(const QString& section, const QString& key, const QString& def)
{
    Refresh();
    return Value(section, key, def);
}
