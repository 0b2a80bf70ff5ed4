#pragma once

#include <QString>

// Plausible Chinese names, addresses and numbers for the demo data; the same serial always gives
// the same text, so demos are reproducible.
class DemoNames {
public:
    static QString person(int serial);
    static QString gender(int serial);
    static QString company(int serial);
    static QString city(int serial);
    static QString address(int serial);
    static QString mobile(int serial);
    static QString brand(int serial);
    static QString specs(int serial);
    static QString unit(int serial);
    static QString barcode(int serial);
    static QString taxNumber(int serial);
    static QString jobTitle(int serial);
    static double price(int serial);
};
