#pragma once

#include "server/ProcParam.h"

#include <QVariant>

// ExecSP's packed parameter lists: null for none, else one 7-item list per parameter (name,
// value, data type code, parameter type code, size, precision, scale).
class PackedProcParams {
public:
    // Only the names and values matter to the procedures; the codes are not looked at.
    static bool unpack(const QVariant& packed, ProcParams* params, QString* error);
    // Output parameters: data type code from the value, parameter type "output".
    static QVariant pack(const ProcParams& params);
};
