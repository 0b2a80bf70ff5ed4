// Runs offscreen unless QT_QPA_PLATFORM says otherwise (e.g. xcb under xvfb-run). The server runs
// in its own process; the memory figure is this process's, the tool's.
#include "config/TSysConfig.h"
#include "controls/TSupGrids.h"
#include "data/TdmMain.h"
#include "tests/main/DemoGoods.h"
#include "tests/main/MainFixture.h"
#include "ui/main/TBaseInfoTree.h"
#include "ui/main/TBaseInfoTreeModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace DemoGoods;

namespace {

constexpr int Goods = 100000;
constexpr int BigClass = 50000;
constexpr int Pasted = 1000;

// Gathers records from all over the goods into 开口扳手, so that it holds BigClass records.
bool GatherBigClass(const QString& dataDir, QString* error)
{
    AccountSetFile db(dataDir + QStringLiteral("/ZT001.db"));
    const int have = db.Count(QStringLiteral("SELECT count(*) FROM Goods WHERE ParId = '%1'").arg(OpenEndId));
    db.Exec(QStringLiteral(
        "UPDATE Goods SET ParId = '%1', Level = 5 WHERE TypeId IN (SELECT TypeId FROM Goods"
        " WHERE HasChild = 0 AND Level > 0 AND ParId <> '%1' AND TypeId NOT LIKE '99999%%'"
        " ORDER BY RecNo LIMIT %2);"
        "UPDATE Goods SET HasChild = EXISTS (SELECT 1 FROM Goods c WHERE c.ParId = Goods.TypeId)")
                .arg(OpenEndId)
                .arg(BigClass - have));
    *error = db.Error();
    return error->isEmpty();
}

long StatusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("NS_BKSVR"))
        qputenv("NS_BKSVR", NS_BKSVR_PATH);
    QApplication app(argc, argv);

    std::printf("preparing a demo account set with %d goods, %d of them in one class ...\n", Goods, BigClass);
    MainFixture f;
    MainFixture::Options options;
    options.goods = Goods;
    options.prepareData = GatherBigClass;
    QString error;
    if (!f.Start(options, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TfmMain& w = f.Window();
    f.ChooseCategory(0);
    TTreeNode* big = f.ShowPath(OpenEnd);
    if (!big || big->Count() != BigClass) {
        std::fprintf(stderr, "the class holds %d records, not %d\n", big ? big->Count() : -1, BigClass);
        return 1;
    }

    // Showing the class: the query, the grid fill and the rebuild of its 50,000 sub-nodes.
    std::vector<double> query, show, painted;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        f.Dm().QueryBaseInfoFmt(SysConfig()->GetSelectNodesByParentIDSQL(), { Table, OpenEndId });
        query.push_back(timer.nsecsElapsed() / 1e6);
        f.ClickNode(f.Node(RingWrenches));
        timer.restart();
        f.ClickNode(f.Node(OpenEnd));
        show.push_back(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
        painted.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf(
        "show a class of %d records: %.0f ms (of which the query alone %.0f ms; %.0f ms until painted),"
        " median of 5\n",
        w.tvBaseInfoItems->FindNodeById(OpenEndId)->Count(), Median(show), Median(query), Median(painted));

    // The same number of moves straight through the data module, without the window: what the
    // server and the connection take.
    QStringList direct;
    for (int row = Pasted + 1; row <= 2 * Pasted; ++row)
        direct.append(f.GridId(row));
    QElapsedTimer directTimer;
    directTimer.start();
    for (const QString& id : direct)
        f.Dm().MoveBaseInfoNode(Table, id, OpenEndId, PliersId, 4);
    const double directMs = directTimer.nsecsElapsed() / 1e6;
    std::printf("%d moves through the data module alone: %.0f ms, %.0f records/s\n", Pasted, directMs,
        Pasted / (directMs / 1000));

    // A paste of 1,000 records: cut a range of the class, paste it as children of 螺丝刀.
    f.ClickRow(1);
    f.ShiftClickRow(Pasted);
    f.PressShortcut(w.gBaseInfo, Qt::Key_C);
    f.ShowPath(Screwdrivers);
    PaintCounter counter;
    w.sbMainPanels[2]->installEventFilter(&counter);
    QElapsedTimer timer;
    qint64 lastMoved = 0;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!lastMoved && w.StatusText(2) == TMoveRules::MovedCountText(Pasted))
            lastMoved = timer.nsecsElapsed();
    });
    watch.start();
    timer.start();
    f.PressShortcut(w.tvBaseInfo, Qt::Key_S);
    const double total = timer.nsecsElapsed() / 1e6;
    watch.stop();
    const int moved = f.Db().Count(QStringLiteral("SELECT count(*) FROM MoveJournal")) - Pasted;
    std::printf("paste %d records: %.0f ms in all, %.0f records/s (moves until the last count: %.0f ms,"
                " %.0f records/s; status panel painted %d times)\n",
        moved, total, moved / (total / 1000), lastMoved / 1e6, moved / (lastMoved / 1e9), counter.paints);

    std::printf("peak memory (VmHWM) %.1f MB, now (VmRSS) %.1f MB\n", StatusKb("VmHWM:") / 1024.0,
        StatusKb("VmRSS:") / 1024.0);
    return moved == Pasted ? 0 : 1;
}
