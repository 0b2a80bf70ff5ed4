#pragma once

#include <QString>

// Whether the existing folder lies on the drive that holds the operating system: on Windows the
// system drive, elsewhere the file system mounted at "/".
bool IsOnSystemDrive(const QString& folder);
