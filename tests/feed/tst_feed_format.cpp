#include "ExampleState.h"
#include "GameStateFormat.h"
#include "JsonSchema.h"

#include <QFile>
#include <QJsonDocument>
#include <QXmlStreamReader>
#include <QtTest>

using namespace hp;

namespace {

QByteArray readDoc(const char* name)
{
    QFile f(QStringLiteral(DOCS_DIR "/") + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

test::JsonSchema schema()
{
    return test::JsonSchema(QJsonDocument::fromJson(readDoc("feed.schema.json")).object());
}

// Every element of an XML text with its attributes, as "path@name=value" lines.
QStringList xmlFacts(const QByteArray& xml, QString* error)
{
    QStringList out, path;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            path << r.name().toString();
            for (const QXmlStreamAttribute& a : r.attributes())
                out << path.join(u'/') + u'@' + a.name().toString() + u'=' + a.value().toString();
        } else if (r.isCharacters() && !r.isWhitespace()) {
            out << path.join(u'/') + QStringLiteral("=") + r.text().toString();
        } else if (r.isEndElement()) {
            path.removeLast();
        }
    }
    if (r.hasError())
        *error = r.errorString();
    return out;
}

} // namespace

class TestFeedFormat : public QObject {
    Q_OBJECT
private slots:
    // The documentation's examples are what the writer writes, and the
    // JSON one (and a state before any game) fits the schema. With
    // HOMEPLATE_WRITE_EXAMPLES=1 the examples are written anew.
    void documentedExamples()
    {
        const feed::GameState s = test::exampleState();
        if (qEnvironmentVariableIntValue("HOMEPLATE_WRITE_EXAMPLES") == 1) {
            QFile json(QStringLiteral(DOCS_DIR "/feed-example.json"));
            QFile xml(QStringLiteral(DOCS_DIR "/feed-example.xml"));
            QVERIFY(json.open(QIODevice::WriteOnly) && xml.open(QIODevice::WriteOnly));
            json.write(QJsonDocument(feed::toJson(s)).toJson(QJsonDocument::Indented));
            xml.write(feed::xmlText(s));
        }
        QCOMPARE(QJsonDocument::fromJson(readDoc("feed-example.json")).object(), feed::toJson(s));
        QCOMPARE(QString::fromUtf8(readDoc("feed-example.xml")),
                 QString::fromUtf8(feed::xmlText(s)));
        QCOMPARE(schema().violations(feed::toJson(s)), QStringList());
        QCOMPARE(schema().violations(feed::toJson(feed::GameState{})), QStringList());
    }

    // The validator itself sees what the schema forbids.
    void schemaCatchesWrongValues()
    {
        QJsonObject o = feed::toJson(test::exampleState());
        o.insert(QStringLiteral("half"), QStringLiteral("middle"));
        o.insert(QStringLiteral("extra"), 1);
        o.remove(QStringLiteral("count"));
        const QStringList v = schema().violations(o);
        QCOMPARE(v.size(), 3);
    }

    // Unplayed innings and plate appearances not yet batted are null, and
    // the count and runners are numbers and truth values.
    void blanksAndValues()
    {
        const QJsonObject o = feed::toJson(test::exampleState());
        const QJsonArray innings = o[u"teams"][u"second"][u"innings"].toArray();
        QCOMPARE(innings.size(), 12);
        QCOMPARE(innings[0], QJsonValue(QStringLiteral("1")));
        QVERIFY(innings[3].isNull());
        const QJsonArray boxes = o[u"batter"][u"today"][u"plateAppearances"].toArray();
        QCOMPARE(boxes.size(), 8);
        QCOMPARE(boxes[0], QJsonValue(QStringLiteral("中安")));
        QVERIFY(boxes[1].isNull());
        QCOMPARE(o[u"count"][u"balls"].toInt(), 2);
        QCOMPARE(o[u"runners"][u"third"].toBool(), true);
        QCOMPARE(o[u"atBat"].toString(), QStringLiteral("second"));
        QCOMPARE(o[u"onAir"][u"layers"][0][u"time"].toString(), QStringLiteral("19:42:07"));
    }

    // Whatever an operator typed into a name stays a well-formed document,
    // and the XML says what the JSON says.
    void typedTextStaysWellFormed()
    {
        feed::GameState s = test::exampleState();
        s.batter.name = QStringLiteral("O'Neil <\"&\"> \x01\x1b林");
        s.first.name = QStringLiteral("]]>");
        const QJsonObject o = QJsonDocument::fromJson(feed::jsonText(s)).object();
        QCOMPARE(o[u"batter"][u"name"].toString(), s.batter.name);
        QString error;
        const QStringList facts = xmlFacts(feed::xmlText(s), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(facts.contains(QStringLiteral("game/batter@name=O'Neil <\"&\"> 林")));
        QVERIFY(facts.contains(QStringLiteral("game/team@name=]]>")));
        QVERIFY(facts.contains(QStringLiteral("game/team/inning=2")));
        QVERIFY(facts.contains(QStringLiteral("game/batter/today/plateAppearance=中安")));
        QVERIFY(facts.contains(QStringLiteral("game/pitcher@pitches=47")));
        QVERIFY(facts.contains(QStringLiteral("game@sequence=42")));
    }
};

QTEST_GUILESS_MAIN(TestFeedFormat)
#include "tst_feed_format.moc"
