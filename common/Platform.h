#pragma once

#include <QString>

// The few operating-system services the helpers need, behind one seam.
namespace Platform {

// Full path of the running executable.
QString ExecutablePath();
// The machine's host name as the system gives it.
QString HostName();
bool DirectoryExists(const QString& folder);
// Creates the folder and every missing parent; returns 0 or the errno of the mkdir that failed.
int CreateDirectories(const QString& folder);

} // namespace Platform
