#include "wire/WireRowCollector.h"

void WireRowCollector::startRow()
{
    rows.emplace_back();
    current = &rows.last();
}
