#pragma once

#include "common/FormatText.h"

#include <QString>
#include <QVariantList>

class QCursor;

// General helpers shared by the whole program. Message boxes go through CurrentMessagePresenter().

// Development hints are shown in this program; with false no hint would ever appear.
inline constexpr bool DevHintsOn = true;

// The text as a whole number in the platform's integer syntax (leading blanks, a sign, "$" or "0x"
// for hexadecimal); anything else, out-of-range values included, gives 0. Never raises.
int StrToIntOrZero(const QString& text);
// False when the text is no integer in that syntax.
bool TryStrToInt(const QString& text, int& value);
// As StrToIntOrZero, but raises Exception("'%s' is not a valid integer value").
int StrToInt(const QString& text);

// Message box with an OK button; kind 0 = information, 1 = warning, anything else = error.
void ShowKindMessage(const QString& text, const QString& caption, int kind);
// With DevHintsOn and a false condition shows the text with the caption "开发提示". Returns condition.
bool DevHint(bool condition, const QString& text);
// Information / error box captioned with ApplicationTitle().
void ShowInfo(const QString& text);
void ShowError(const QString& text);
void ShowErrorFmt(const QString& format, const QVariantList& args);
// Yes/No question; true exactly when Yes is chosen.
bool AskYesNo(const QString& caption, const QString& text);

// Caption of ShowInfo/ShowError and of the application-wide error display.
// "Ledgerine基本信息搬移工具" until the main window sets the configured title.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// Folder of the running executable, ending with "/".
QString GetExeFolder();
// Makes sure the folder exists, with every missing parent. Returns true or raises
// Exception("自动创建“%s”目录失败：%s").
bool ForceFolder(const QString& folder);
// The system's text for the last error (errno).
QString SystemErrorText();
// Trims characters up to and including the blank on both ends and appends "/" unless present.
QString NormalizeFolder(const QString& text);

// The text without the characters up to and including the blank (control characters) at both ends.
QString Trim(const QString& text);
// Equal when only the letter case of ASCII letters differs.
bool SameText(const QString& a, const QString& b);

// True exactly for "T", "True", "1", "Y", "y", "是", "真" (compared whole, case counts).
bool TextToBool(const QString& text);

// The application's screen-wide cursor (Qt's override cursor, changed in place, never stacked).
void WaitCursorOn();
// Back to the default cursor; one call ends any number of WaitCursorOn/SetScreenCursor.
void WaitCursorOff();
void SetScreenCursor(const QCursor& cursor);
