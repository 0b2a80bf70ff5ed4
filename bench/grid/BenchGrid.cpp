// Fills a grid with 100,000 rows of 10 columns plus row colours, shows it offscreen and sorts it
// by a numeric and by a text column; then times the platform's selection sort on 10,000 rows.
// Goals: fill and show < 300 ms, each sort < 50 ms, grid memory < 100 MB above the empty program.
// --no-selection-sort skips the last part, which takes about a minute.

#include "controls/TSupGrids.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <cstdio>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

constexpr int DataCols = 10;

long StatusKb(const char* field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Wall and CPU time of this thread: the machine is shared, and the CPU time shows what the
// grid itself costs when other programs take turns on the processors.
struct Span {
    double wallMs;
    double cpuMs;
};

class Stopwatch {
public:
    Stopwatch() { Restart(); }
    void Restart()
    {
        FWall.start();
        FCpu = CpuNs();
    }
    Span Elapsed() const { return { FWall.nsecsElapsed() / 1e6, (CpuNs() - FCpu) / 1e6 }; }

private:
    static qint64 CpuNs()
    {
        timespec ts {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    QElapsedTimer FWall;
    qint64 FCpu = 0;
};

void Print(const char* what, Span span, const char* goal = "")
{
    std::printf("%-38s %9.1f ms wall %9.1f ms cpu  %s\n", what, span.wallMs, span.cpuMs, goal);
}

QString ChineseName(QRandomGenerator& random)
{
    static const QString chars
        = u"苹果香蕉橙子葡萄西瓜茶叶大米面粉白糖食盐酱油香醋鸡蛋牛奶啤酒可乐饼干面包毛巾牙膏肥皂纸巾电池灯泡"
          u"铅笔钢笔本子胶水剪刀雨伞拖鞋手套帽子袜子衬衫裤子"_s;
    QString name;
    const int length = 2 + random.bounded(5);
    for (int i = 0; i < length; ++i)
        name += chars[random.bounded(int(chars.size()))];
    return name + QString::number(random.bounded(100));
}

// The texts of each row, column 0 first; made before the clock starts.
std::vector<QStringList> MakeTexts(int rows, QRandomGenerator& random)
{
    std::vector<QStringList> texts;
    texts.reserve(size_t(rows));
    for (int row = 1; row <= rows; ++row) {
        texts.push_back({
            QString::number(row),
            QString::number(random.bounded(1000000)),
            ChineseName(random),
            u"%1x%2"_s.arg(random.bounded(100)).arg(random.bounded(100)),
            random.bounded(2) ? u"个"_s : u"箱"_s,
            QString::number(random.bounded(100000) / 100.0, 'f', 2),
            QString::number(random.bounded(500)),
            random.bounded(4) ? QString() : u"note %1"_s.arg(row),
            u"C%1"_s.arg(random.bounded(50)),
            u"69%1"_s.arg(random.bounded(1000000000), 11, 10, QChar(u'0')),
            random.bounded(2) ? QString::number(random.bounded(100)) : u"%1a"_s.arg(random.bounded(100)),
        });
    }
    return texts;
}

void Fill(TSupGrids& grid, const std::vector<QStringList>& texts)
{
    const int rows = int(texts.size());
    grid.SetColCount(DataCols + 1);
    grid.SetRowCount(rows + 1);
    const QStringList headers { u"序号"_s, u"编码"_s, u"名称"_s, u"规格"_s, u"单位"_s, u"单价"_s, u"数量"_s,
        u"备注"_s, u"类别"_s, u"条码"_s, u"混合"_s };
    for (int col = 0; col <= DataCols; ++col)
        grid.SetCells(col, 0, headers[col]);
    for (int row = 1; row <= rows; ++row) {
        const QStringList& line = texts[size_t(row - 1)];
        for (int col = 0; col <= DataCols; ++col)
            grid.SetCells(col, row, line[col]);
        grid.SetRowColor(row, row % 11 == 0 ? QColor(0, 128, 128) : QColor(Qt::white));
        grid.SetRowFontColor(row, row % 7 == 0 ? QColor(0, 150, 0) : QColor(Qt::black));
    }
}

Span TimeSort(TSupGrids& grid, int col)
{
    Stopwatch watch;
    grid.HeaderClick(col);
    QCoreApplication::processEvents();
    return watch.Elapsed();
}

// What the platform grid did: pick the largest of the rest, exchange whole rows; each comparison
// reads and parses both texts.
Span TimeSelectionSort(TSupGrids& grid, int col)
{
    Stopwatch watch;
    const int last = grid.RowCount() - 1;
    for (int i = 1; i < last; ++i) {
        int best = i;
        for (int j = i + 1; j <= last; ++j) {
            if (grid.CompareCells(col, j, best) == TSupGrids::crGreater)
                best = j;
        }
        if (best == i)
            continue;
        for (int c = 0; c < grid.ColCount(); ++c) {
            const QString text = grid.Cells(c, i);
            grid.SetCells(c, i, grid.Cells(c, best));
            grid.SetCells(c, best, text);
        }
        const QColor color = grid.RowColor(i);
        grid.SetRowColor(i, grid.RowColor(best));
        grid.SetRowColor(best, color);
    }
    return watch.Elapsed();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = 100000;
    QRandomGenerator random(2024);
    {
        TSupGrids warmUp; // fonts, styles and the first paint cost the same with or without rows
        warmUp.show();
        QCoreApplication::processEvents();
    }
    const long baseRss = StatusKb("VmRSS:");
    const std::vector<QStringList> texts = MakeTexts(rows, random); // not the grid's memory
    const long textsKb = StatusKb("VmRSS:") - baseRss;

    Stopwatch watch;
    auto* grid = new TSupGrids;
    grid->resize(1200, 800);
    Fill(*grid, texts);
    const Span fill = watch.Elapsed();
    grid->show();
    QCoreApplication::processEvents();
    grid->viewport()->repaint();
    const Span total = watch.Elapsed();

    std::printf("grid of %d rows x %d columns (+ fixed column), row colours set\n", rows, DataCols);
    Print("fill", fill);
    Print("show", { total.wallMs - fill.wallMs, total.cpuMs - fill.cpuMs });
    Print("fill + show", total, "(goal < 300 ms)");
    Print("sort numeric column, descending", TimeSort(*grid, 1), "(goal < 50 ms)");
    Print("sort numeric column, ascending", TimeSort(*grid, 1), "(goal < 50 ms)");
    Print("sort Chinese text column", TimeSort(*grid, 2), "(goal < 50 ms)");
    Print("sort Chinese text column again", TimeSort(*grid, 2), "(goal < 50 ms)");
    Print("sort mixed number/text column", TimeSort(*grid, 10), "(goal < 50 ms)");
    const long rss = StatusKb("VmRSS:");
    const long hwm = StatusKb("VmHWM:");
    std::printf("memory: empty program %.1f MB, now %.1f MB, peak %.1f MB\n", baseRss / 1024.0, rss / 1024.0,
        hwm / 1024.0);
    std::printf("test texts held by the benchmark: %.1f MB\n", textsKb / 1024.0);
    std::printf("grid memory above the empty program: %.1f MB now, %.1f MB at peak (goal < 100 MB)\n",
        (rss - baseRss - textsKb) / 1024.0, (hwm - baseRss - textsKb) / 1024.0);
    delete grid;
    if (app.arguments().contains(u"--no-selection-sort"_s))
        return 0;

    const std::vector<QStringList> fewer(texts.begin(), texts.begin() + 10000);
    TSupGrids small;
    Fill(small, fewer);
    Print("stable sort, 10,000 rows, numeric", TimeSort(small, 1));
    Fill(small, fewer);
    Print("selection sort, same 10,000 rows", TimeSelectionSort(small, 1));
    return 0;
}
