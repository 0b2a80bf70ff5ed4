#pragma once

#include <QString>

// Runs the log-on: the dialog that connects to the application server and chooses the account set
// and the backup folder, then the pre-use notice and, unless "BackupDB" is 0, the backup.
// False when the operator cancelled or the backup failed: the program then ends.
bool LogOn();

// The notice shown after the dialog closed with OK.
QString PreUseNotice();
