#include "config/TktIni.h"

#include "common/Exception.h"
#include "common/Helpers.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

const QString DefaultKeyPath = QStringLiteral("Software\\Tallow\\TallowPlatform");

std::unique_ptr<QSettings> NativeSettings(const QString& keyPath)
{
#ifdef Q_OS_WIN
    // The tool has always been a 32-bit program: its HKLM\Software is the 32-bit registry view.
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_LOCAL_MACHINE\\") + keyPath, QSettings::Registry32Format);
#else
    // "Software\Tallow\TallowPlatform" -> <config folder>/Tallow/TallowPlatform.ini, the file that
    // QSettings(IniFormat, UserScope, "Tallow", "TallowPlatform") uses.
    QString relative = keyPath;
    if (relative.startsWith(QStringLiteral("Software\\"), Qt::CaseInsensitive))
        relative = relative.mid(9);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<QSettings>(
        folder + QLatin1Char('/') + relative + QStringLiteral(".ini"), QSettings::IniFormat);
#endif
}

QString Key(const QString& section, const QString& ident)
{
    return section + QLatin1Char('/') + ident;
}

TktIni* OverrideStore = nullptr;

} // namespace

TktIni::TktIni(const QString& keyPath)
    : FSettings(NativeSettings(keyPath.isEmpty() ? DefaultKeyPath : keyPath))
{
    FSettings->setFallbacksEnabled(false);
}

TktIni::TktIni(std::unique_ptr<QSettings> settings)
    : FSettings(std::move(settings))
{
    FSettings->setFallbacksEnabled(false);
}

TktIni::~TktIni() = default;

std::unique_ptr<TktIni> TktIni::OverFile(const QString& iniFileName)
{
    return std::unique_ptr<TktIni>(
        new TktIni(std::make_unique<QSettings>(iniFileName, QSettings::IniFormat)));
}

QString TktIni::ReadString(const QString& section, const QString& ident, const QString& def) const
{
    const QVariant value = Value(section, ident);
    if (!value.isValid())
        return def;
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    throw Exception(QStringLiteral("Invalid data type for '%1'").arg(ident));
}

QVariant TktIni::Value(const QString& section, const QString& ident) const
{
    const QVariant value = FSettings->value(Key(section, ident));
    // An unquoted comma in a hand-written ini line makes a list of what was written as one text.
    if (FSettings->format() == QSettings::IniFormat && value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value;
}

int TktIni::ReadInteger(const QString& section, const QString& ident, int def) const
{
    const QVariant value = Value(section, ident);
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return def;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        // A registry DWORD: its 32 bits as the signed integer.
        return static_cast<int>(value.toLongLong());
    case QMetaType::QString: {
        int number = 0;
        return TryStrToInt(value.toString(), number) ? number : def;
    }
    default:
        throw Exception(QStringLiteral("Invalid data type for '%1'").arg(ident));
    }
}

bool TktIni::ReadBool(const QString& section, const QString& ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TktIni::WriteString(const QString& section, const QString& ident, const QString& value)
{
    FSettings->setValue(Key(section, ident), value);
    FSettings->sync();
    if (FSettings->status() != QSettings::NoError)
        throw Exception(QStringLiteral("Failed to set data for '%1'").arg(ident));
}

QString TktIni::Location() const
{
    return FSettings->fileName();
}

TktIni* KtIni()
{
    if (OverrideStore)
        return OverrideStore;
    // Lives until the process ends, like the rest of the program's singletons.
    static TktIni* const store = new TktIni();
    return store;
}

void SetKtIni(TktIni* store)
{
    OverrideStore = store;
}
