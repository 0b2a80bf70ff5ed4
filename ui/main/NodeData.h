#pragma once

#include <QString>

// What a tree node keeps of the record it stands for, filled from the category's common fields.
struct NodeData {
    QString Extra; // kept with the node, never read
    QString Caption;
    QString Id;
    QString ParId;
};
