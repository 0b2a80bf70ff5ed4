#include "app/AppParts.h"

#include "app/PlaceholderMainWindow.h"
#include "config/TSysConfig.h"

AppParts NodeShiftParts()
{
    AppParts parts;
    parts.createDataModule = [] {
        SysConfig()->CheckConfigFile();
        return std::make_unique<QObject>();
    };
    parts.createMainWindow = [] { return std::make_unique<PlaceholderMainWindow>(); };
    return parts;
}
