#include "TestDatabase.h"

#include <QProcess>
#include <QtTest>

// The homeplate command line where there is no display at all: what needs no
// window works, and the rest says what is wrong instead of aborting.
class TstCommandLine : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersionNeedNoDisplay()
    {
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        for (const char* text :
             {"Usage: homeplate", "--settings <FILE>", "--cg-backend <BACKEND>", "--remote <PORT>",
              "--automation", "--init-db <CONNECTION>", "--demo", "--version"})
            QVERIFY2(help.out.contains(text), text);
        QCOMPARE(run({QStringLiteral("-h")}).out, help.out);

        const Run version = run({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("homeplate " HOMEPLATE_VERSION "\n"));
    }

    void initDbNeedsNoDisplay_data() { hp::test::TestDatabase::addEngineRows(); }
    void initDbNeedsNoDisplay()
    {
        QFETCH(QString, engine);
        hp::test::TestDatabase tdb(engine, hp::test::TestDatabase::Content::Empty);
        QVERIFY2(tdb.ok(), qPrintable(tdb.error()));
        const Run r = run({QStringLiteral("--init-db"), tdb.connectionString()});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("created"));
    }

    void badCommandLinesAreRefusedWithoutADisplay()
    {
        for (const QStringList& args :
             {QStringList{QStringLiteral("--no-such-option")},
              QStringList{QStringLiteral("--remote")}, QStringList{QStringLiteral("--demo")},
              QStringList{QStringLiteral("stray")}}) {
            const Run r = run(args);
            QVERIFY2(r.exitCode == 2, qPrintable(args.join(u' ')));
            QVERIFY2(r.err.startsWith("homeplate: "), r.err.constData());
        }
    }

private:
    struct Run {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    Run run(const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("HOMEPLATE_BINARY"), args);
        Run r;
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.exitCode = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
};

QTEST_GUILESS_MAIN(TstCommandLine)
#include "tst_command_line.moc"
