#pragma once

#include "data/TParamObject.h"

#include <QStringList>
#include <QVariant>

// The packed parameter list of a stored-procedure call: null when there are no parameters,
// else one 7-item list per parameter: name, value, data type code, parameter type code
// (unknown), size, precision, scale (all 0); see wire/PackedParamEntry.h.

// names and values of equal length (else throws Exception); a first name "@@" (blanks
// around it ignored), or no names at all, packs to null.
QVariant PackProcParams(const QStringList& names, const QVariantList& values);

// Appends every (name, value) that came back to params; anything but a list of lists
// (null included) adds nothing.
void UnpackProcParams(const QVariant& packed, TGParams& params);
