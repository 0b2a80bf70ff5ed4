#pragma once

#include <QString>

// bksvr --init-demo DIR [--goods N]: a catalogue with two account sets, each with four
// base-information categories. Refuses a folder that already holds a catalogue.
class DemoBuilder {
public:
    static constexpr int DefaultGoods = 5000;
    static bool initDemo(const QString& dir, int goods, QString* error);
};
