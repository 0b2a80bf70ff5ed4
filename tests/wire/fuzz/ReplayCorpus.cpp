#include "tests/wire/fuzz/FuzzWireDecoder.h"

#include <QDir>
#include <QtTest>

// Every input the fuzzer kept, through the decoder built by the normal compiler.
class ReplayCorpus : public QObject {
    Q_OBJECT
private slots:
    void input_data()
    {
        QTest::addColumn<QString>("path");
        const QDir corpus(QStringLiteral(NS_FUZZ_CORPUS));
        const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
        QVERIFY(files.size() > 10);
        for (const QString& name : files)
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }

    void input()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        FuzzWireDecoder(file.readAll());
    }
};

QTEST_GUILESS_MAIN(ReplayCorpus)
#include "ReplayCorpus.moc"
