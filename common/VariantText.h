#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

// The process's date and time formats, used by every conversion of field values to text.
inline constexpr QStringView ShortDateFormat = u"yyyy-MM-dd";
inline constexpr QStringView LongTimeFormat = u"hh:mm:ss";

QString DateToStr(const QDate& date);
QString TimeToStr(const QTime& time);
// Date and time separated by a blank; the time is left out at midnight exactly.
QString DateTimeToStr(const QDateTime& dateTime);
// 15 significant digits, shortest form, "E" exponent ("1E20", "0.1", "-2.5").
QString FloatToStr(double value);

// Null (or invalid) gives ""; dates and times in the formats above; booleans "True"/"False".
QString VarToStr(const QVariant& value);
// Null gives 0; text that is no integer raises Exception("'%s' is not a valid integer value").
int VarToInt(const QVariant& value);
