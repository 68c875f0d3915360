#include "ConsoleFixture.h"

#include <QFile>

using namespace hp;

// Every line that docs/control-surfaces.md gives is accepted by a console in
// play, in the order the document gives them.
class TstControlSurfaces : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void everyDocumentedLineIsAccepted()
    {
        QFile doc(QStringLiteral(CONTROL_SURFACES_DOC));
        QVERIFY(doc.open(QIODevice::ReadOnly));
        QList<QByteArray> lines;
        bool inBlock = false;
        for (const QByteArray& line : doc.readAll().split('\n')) {
            if (line.startsWith("```")) {
                inBlock = !inBlock;
                continue;
            }
            if (inBlock && line.startsWith('{'))
                lines << line;
        }
        QVERIFY(lines.size() >= 25);
        test::ConsoleFixture f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        for (const QByteArray& line : lines) {
            const QJsonObject r = f.h.server.handle(line);
            // As a surface does: the next line once the CG has answered this one.
            QVERIFY(test::settled(f.h.cg));
            QVERIFY2(r.value(QStringLiteral("ok")).toBool(),
                     qPrintable(QString::fromUtf8(line) + QStringLiteral(" → ") +
                                r.value(QStringLiteral("error")).toString()));
            // An outcome ends the plate appearance: the next batter comes up.
            if (line.contains("\"Command1(") || line.contains("\"Command2("))
                QVERIFY(f.click(QStringLiteral("Command4")));
            // 換局 waits for the third out.
            if (line.contains("\"Command4\""))
                for (int i = 0; i < 3 && !f.enabled(QStringLiteral("Next_Command")); ++i)
                    f.press(QStringLiteral("SBO_Lab(3)"));
        }
    }
};

QTEST_MAIN(TstControlSurfaces)
#include "tst_control_surfaces.moc"
