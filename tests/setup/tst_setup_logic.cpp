#include "Positions.h"
#include "Selection.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace hp::setup;

namespace {
QString writeIni(QTemporaryDir& dir, const QByteArray& content)
{
    const QString path = dir.filePath(QStringLiteral("baseball.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

TeamSelection team(const QString& name)
{
    TeamSelection t{name, {}, defaultPositions(), QStringLiteral("51:投手")};
    for (int i = 1; i <= 9; ++i)
        t.order << QStringLiteral("%1:打者%1").arg(i);
    return t;
}
} // namespace

class TstSetupLogic : public QObject {
    Q_OBJECT
private slots:
    void positionsComeFromTheNineLinesAfterTheSection()
    {
        QTemporaryDir dir;
        const auto read = readPositions(writeIni(
            dir, "; comment\r\n  [守位]  \r\nSS\r\nC\r\n1B first\r\n2B\r\n3B\r\nLF\r\nCF\r\n"
                 "RF\r\nDH\r\n[other]\r\n"));
        QCOMPARE(read.problem, QString());
        QCOMPARE(read.positions,
                 (QStringList{QStringLiteral("SS"), QStringLiteral("C"), QStringLiteral("1B"),
                              QStringLiteral("2B"), QStringLiteral("3B"), QStringLiteral("LF"),
                              QStringLiteral("CF"), QStringLiteral("RF"), QStringLiteral("DH")}));
    }

    void positionsFileInTheOldCodePage()
    {
        QTemporaryDir dir;
        // "[守位]" in code page 950, then nine positions.
        const auto read =
            readPositions(writeIni(dir, "[\xA6\x75\xA6\xEC]\n1B\n2B\n3B\nC\nCF\nLF\nRF\nSS\nDH\n"));
        QCOMPARE(read.problem, QString());
        QCOMPARE(read.positions.first(), QStringLiteral("1B"));
    }

    void defaultsStayWhenTheFileCannotServe()
    {
        QTemporaryDir dir;
        auto read = readPositions(dir.filePath(QStringLiteral("missing.ini")));
        QCOMPARE(read.positions, defaultPositions());
        QVERIFY(!read.problem.isEmpty());
        read = readPositions(writeIni(dir, "[positions]\n1B\n"));
        QCOMPARE(read.positions, defaultPositions());
        QVERIFY(read.problem.contains(QStringLiteral("[守位]")));
        read = readPositions(writeIni(dir, "[守位]\n1B\n2B\n3B\nC\nCF\nLF\nRF\nSS\n"));
        QCOMPARE(read.positions, defaultPositions());
        QVERIFY(read.problem.contains(QStringLiteral("九行")));
    }

    void entriesSplitAtTheFirstColon()
    {
        QCOMPARE(splitEntry(QStringLiteral("12:王大明"))->number, QStringLiteral("12"));
        QCOMPARE(splitEntry(QStringLiteral("12:王:大明"))->name, QStringLiteral("王:大明"));
        QCOMPARE(splitEntry(QStringLiteral(":無號"))->number, QString());
        QVERIFY(!splitEntry(QStringLiteral("12 王大明")));
    }

    void selectionChecksInOrder()
    {
        Selection s{team(QStringLiteral("甲")), team(QStringLiteral("乙"))};
        QVERIFY(!checkSelection(s));
        s.second.order.removeLast();
        QCOMPARE(checkSelection(s)->text, kIncomplete);
        s.second = team(QStringLiteral("乙"));
        s.first.order[3] = QStringLiteral("4 打者4");
        const auto refusal = checkSelection(s);
        QVERIFY(refusal->text.contains(QStringLiteral("4 打者4")));
        QCOMPARE(refusal->title, QStringLiteral("錯誤"));
        s.first = team(QStringLiteral("甲"));
        s.second.pitcher.clear();
        QVERIFY(checkSelection(s)->text.contains(QStringLiteral("乙")));
    }
};

QTEST_GUILESS_MAIN(TstSetupLogic)
#include "tst_setup_logic.moc"
