#pragma once

#include <QString>
#include <QVariant>

// One entry of ExecSP's packed parameter lists, as both sides write it: a 7-item list of name,
// value, data type code, parameter type code, size, precision and scale. The codes are those
// of the original client platform, so either side reads a list as the other wrote it.
namespace PackedParamEntry {

constexpr int Items = 7;

constexpr int ftUnknown = 0;
constexpr int ftString = 1;
constexpr int ftInteger = 3;
constexpr int ftBoolean = 5;
constexpr int ftFloat = 6;
constexpr int ftLargeint = 25;

constexpr int ptUnknown = 0;
constexpr int ptOutput = 2;

// The data type code that the value's type stands for; null and other types are unknown.
int DataTypeCode(const QVariant& value);

QVariant Make(const QString& name, const QVariant& value, int paramType);

} // namespace PackedParamEntry
