#include "common/Helpers.h"

#include "common/Exception.h"
#include "common/MessagePresenter.h"
#include "common/Platform.h"

#include <QApplication>
#include <QCursor>
#include <cerrno>
#include <cstring>

namespace {

QString& applicationTitle()
{
    static QString title = QStringLiteral("Ledgerine基本信息搬移工具");
    return title;
}

bool isHexDigit(QChar c, int& digit)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    else
        return false;
    return true;
}

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= u' ';
}

void present(const QString& caption, const QString& text, MessageIcon icon)
{
    CurrentMessagePresenter().present({ caption, text, icon, MessageButtons::Ok });
}

} // namespace

bool TryStrToInt(const QString& text, int& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return false;
    // Decimal must fit the signed range; hexadecimal may use all 32 bits (as the platform does).
    const quint64 limit = base == 16 ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
    quint64 magnitude = 0;
    for (; i < n; ++i) {
        int digit = 0;
        if (!isHexDigit(text[i], digit) || digit >= base)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    const qint64 signedValue = negative ? -qint64(magnitude) : qint64(magnitude);
    value = base == 16 ? int(quint32(signedValue)) : int(signedValue);
    return true;
}

int StrToIntOrZero(const QString& text)
{
    int value = 0;
    return TryStrToInt(text, value) ? value : 0;
}

int StrToInt(const QString& text)
{
    int value = 0;
    if (!TryStrToInt(text, value))
        throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

void ShowKindMessage(const QString& text, const QString& caption, int kind)
{
    const MessageIcon icon = kind == 0 ? MessageIcon::Information
        : kind == 1                    ? MessageIcon::Warning
                                       : MessageIcon::Error;
    present(caption, text, icon);
}

bool DevHint(bool condition, const QString& text)
{
    if (DevHintsOn && !condition)
        ShowKindMessage(text, QStringLiteral("开发提示"), 0);
    return condition;
}

void ShowInfo(const QString& text)
{
    present(ApplicationTitle(), text, MessageIcon::Information);
}

void ShowError(const QString& text)
{
    present(ApplicationTitle(), text, MessageIcon::Error);
}

void ShowErrorFmt(const QString& format, const QVariantList& args)
{
    ShowError(Format(format, args));
}

bool AskYesNo(const QString& caption, const QString& text)
{
    return CurrentMessagePresenter().present({ caption, text, MessageIcon::Question, MessageButtons::YesNo });
}

QString ApplicationTitle()
{
    return applicationTitle();
}

void SetApplicationTitle(const QString& title)
{
    applicationTitle() = title;
}

QString GetExeFolder()
{
    const QString path = Platform::ExecutablePath();
    return path.left(path.lastIndexOf(u'/') + 1);
}

bool ForceFolder(const QString& folder)
{
    if (Platform::DirectoryExists(folder))
        return true;
    if (folder.isEmpty())
        throw Exception(QStringLiteral("Unable to create directory"));
    const int error = Platform::CreateDirectories(folder);
    if (Platform::DirectoryExists(folder))
        return true;
    // The reason is that of the mkdir that failed: a later existence test would only say
    // "no such file" whatever went wrong.
    errno = error;
    throw Exception(QStringLiteral("自动创建“%1”目录失败：%2").arg(folder, SystemErrorText()));
}

QString SystemErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString Trim(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

QString NormalizeFolder(const QString& text)
{
    QString folder = Trim(text);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool SameText(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += 32;
        if (y >= u'A' && y <= u'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

bool TextToBool(const QString& text)
{
    static const QStringList trueTexts = { QStringLiteral("T"), QStringLiteral("True"), QStringLiteral("1"),
        QStringLiteral("Y"), QStringLiteral("y"), QStringLiteral("是"), QStringLiteral("真") };
    return trueTexts.contains(text, Qt::CaseSensitive);
}

void SetScreenCursor(const QCursor& cursor)
{
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(cursor);
    else
        QApplication::setOverrideCursor(cursor);
}

void WaitCursorOn()
{
    SetScreenCursor(QCursor(Qt::WaitCursor));
}

void WaitCursorOff()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
