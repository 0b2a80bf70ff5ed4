#include "tests/config/CfgFiles.h"

#include <QFile>
#include <QStringEncoder>
#include <stdexcept>

QByteArray CfgFiles::Encode(const QString& text, Encoding encoding)
{
    QString lines = text;
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    if (encoding == Utf8WithBom)
        return QByteArrayLiteral("\xEF\xBB\xBF") + lines.toUtf8();
    QStringEncoder encoder("GBK", QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(lines);
    if (encoder.hasError())
        throw std::runtime_error("text not representable in GBK");
    return bytes;
}

QString CfgFiles::Write(const QString& text, Encoding encoding, const QString& name)
{
    QFile file(Path(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(Encode(text, encoding)) < 0)
        throw std::runtime_error("cannot write the configuration file");
    return file.fileName();
}

QString CfgFiles::Path(const QString& name) const
{
    return FDir.filePath(name);
}
