#pragma once

#include <QString>

// One value of a Windows-style initialization file, read afresh: section and key match
// without regard to letter case, the first occurrence wins, the value is trimmed and a pair
// of enclosing quotes removed. A missing file, section or key gives def. The file is read
// as GBK, or as UTF-8 when it starts with a UTF-8 byte-order mark.
QString ReadIniValue(const QString& path, const QString& section, const QString& key, const QString& def);
