#pragma once

#include <QString>
#include <QTemporaryDir>

// Writes configuration files into a temporary folder, in the encodings a file may have.
class CfgFiles {
public:
    enum Encoding { Gbk, Utf8WithBom };

    // "\n" in text becomes "\r\n", as written by the editors of the original platform.
    QString Write(
        const QString& text, Encoding encoding = Gbk, const QString& name = QStringLiteral("Movedata.cfg"));
    QString Path(const QString& name = QStringLiteral("Movedata.cfg")) const;

    static QByteArray Encode(const QString& text, Encoding encoding);

private:
    QTemporaryDir FDir;
};
