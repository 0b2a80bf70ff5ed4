#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// One named stored-procedure argument; names match without regard to ASCII letter case.
struct ProcParam {
    QString name;
    QVariant value;
};

using ProcParams = QList<ProcParam>;
