// Shows a record grid as the main window lays it out (row numbers, hidden id columns, class rows
// in green, marked rows in teal), sorted by a header click, and saves a screen capture of it.
// Usage: grid_screenshot OUT.png   (run under xvfb-run for a real screen)

#include "controls/TSupGrids.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: grid_screenshot OUT.png\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    TSupGrids grid;
    grid.setWindowTitle(u"gBaseInfo"_s);
    grid.SetOptions(TStringGrid::goFixedVertLine | TStringGrid::goFixedHorzLine | TStringGrid::goVertLine
        | TStringGrid::goHorzLine | TStringGrid::goRangeSelect | TStringGrid::goColSizing
        | TStringGrid::goTabs | TStringGrid::goRowSelect);
    grid.SetDefaultColWidth(80);
    const QStringList headers { u"序号"_s, u"编码"_s, u"名称"_s, u"规格"_s, u"单价"_s, u"id"_s, u"parid"_s };
    grid.SetColCount(int(headers.size()));
    grid.SetColWidths(0, 48);
    grid.SetColWidths(2, 140);
    grid.SetColWidths(5, -1);
    grid.SetColWidths(6, -1);
    for (int col = 0; col < headers.size(); ++col)
        grid.SetCells(col, 0, headers[col]);

    struct Record {
        const char16_t* code;
        const char16_t* name;
        const char16_t* model;
        const char16_t* price;
        bool isClass;
    };
    const Record records[] = {
        { u"0101", u"饮料类", u"", u"", true },
        { u"010101", u"可口可乐", u"330ml", u"3.50", false },
        { u"010102", u"百事可乐", u"330ml", u"3.5", false },
        { u"010103", u"矿泉水", u"550ml", u"2", false },
        { u"0102", u"零食类", u"", u"", true },
        { u"010201", u"苏打饼干", u"400g", u"12.80", false },
        { u"010202", u"巧克力", u"100g", u"25", false },
        { u"010203", u"Apple chips", u"80g", u"9.9", false },
        { u"010204", u"apple pie", u"2pcs", u"18", false },
        { u"010205", u"牛肉干", u"250g", u"45.00", false },
        { u"99999001", u"加盟店总店商品", u"", u"100", false },
    };
    const int count = int(std::size(records));
    grid.SetRowCount(count + 1);
    for (int i = 0; i < count; ++i) {
        const int row = i + 1;
        grid.SetCells(0, row, QString::number(row));
        grid.SetCells(1, row, QString::fromUtf16(records[i].code));
        grid.SetCells(2, row, QString::fromUtf16(records[i].name));
        grid.SetCells(3, row, QString::fromUtf16(records[i].model));
        grid.SetCells(4, row, QString::fromUtf16(records[i].price));
        grid.SetCells(5, row, QString::number(1000 + row));
        grid.SetRowColor(row, row == 3 || row == 6 ? QColor(0, 128, 128) : QColor(Qt::white));
        grid.SetRowFontColor(row, records[i].isClass ? QColor(0, 150, 0) : QColor(Qt::black));
    }
    grid.HeaderClick(4);
    grid.HeaderClick(4); // price, ascending
    grid.SetRow(2);

    grid.setGeometry(0, 0, 600, 320);
    grid.show();
    QTimer::singleShot(500, &app, [&] {
        const QPixmap shot
            = grid.screen()->grabWindow(0, 0, 0, grid.frameGeometry().width(), grid.frameGeometry().height());
        const bool saved = shot.save(out);
        std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(out));
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
