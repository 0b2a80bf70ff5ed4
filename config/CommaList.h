#pragma once

#include <QString>
#include <QStringList>

// Splits a value in the comma-list format: items are separated by a comma or by any run of
// characters 1..32 outside double quotes; blanks around a comma are skipped; an item starting
// with a double quote runs to the matching quote ("" inside stands for one); leading blanks are
// skipped; a comma at the very end adds an empty item. Items are not trimmed.
QStringList SplitCommaList(const QString& value);
