#pragma once

#include <QFont>

// The forms' font: 宋体 where it is installed, else an installed Simplified Chinese font, so that
// no Chinese text is drawn as empty boxes. pixelSize 12 is 9 pt at 96 dpi.
QFont CjkFont(int pixelSize = 12);
