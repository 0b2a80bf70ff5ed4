#include "app/AppParts.h"

#include "data/TdmMain.h"
#include "ui/main/TfmMain.h"

AppParts NodeShiftParts()
{
    AppParts parts;
    // TdmMain's creation checks Movedata.cfg and throws on a failure.
    parts.createDataModule = [] { return std::make_unique<TdmMain>(); };
    parts.createMainWindow = [] { return std::make_unique<TfmMain>(); };
    return parts;
}
