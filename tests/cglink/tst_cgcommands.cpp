#include "CgCommands.h"
#include "Cp950.h"
#include "WireProtocol.h"

#include <QtTest>

using namespace hp::cglink;

class TstCgCommands : public QObject {
    Q_OBJECT
private slots:
    void fieldCommandIsByteExact()
    {
        const QString cmd = fieldCommand(QStringLiteral("終場表"),
                                         {{QStringLiteral("DATE1"), QStringLiteral("2026/12/08")},
                                          {QStringLiteral("TEAM1"), QStringLiteral("北岸海鷗")}});
        QCOMPARE(cmd, QStringLiteral("[BYNAME][終場表][2]EFFECT\r\n"
                                     "[DATE1][0][2026/12/08]\r\n"
                                     "[TEAM1][0][北岸海鷗]\r\n"));
        QCOMPARE(fieldCommand(QStringLiteral("SBO"), {}),
                 QStringLiteral("[BYNAME][SBO][0]EFFECT\r\n"));
    }

    void valuesAreSentAsTheyStand()
    {
        const QString cmd = fieldCommand(QStringLiteral("基本資料"),
                                         {{QStringLiteral("NAME"), QStringLiteral("a]b\r\nc[0]")}});
        QCOMPARE(cmd, QStringLiteral("[BYNAME][基本資料][1]EFFECT\r\n[NAME][0][a]b\r\nc[0]]\r\n"));
    }

    void effectSlotForNormalAndCutPlay()
    {
        const QString plain = plainCommand(QStringLiteral("主播"));
        QCOMPARE(plain, QStringLiteral("[BYNAME][主播]EFFECT"));
        QCOMPARE(withEffect(plain, false, 1), QStringLiteral("[BYNAME][主播][E]"));
        QCOMPARE(withEffect(plain, true, 2), QStringLiteral("[BYNAME][主播][FO][2]"));
        QCOMPARE(withEffect(plain, true, 1), QStringLiteral("[BYNAME][主播][FO][1]"));
        // Every occurrence is replaced; the stored command keeps its slot.
        QCOMPARE(withEffect(QStringLiteral("EFFECT|EFFECT"), false, 1), QStringLiteral("[E]|[E]"));
    }

    void previewTakeOffAndProjectTexts()
    {
        QCOMPARE(previewRequest(QStringLiteral("SBO"), QStringLiteral("/srv/tpl/"), kPreviewB),
                 QStringLiteral("[BYNAME][SBO][/srv/tpl/TempImageB.BMP][A][BMP]\r\n"));
        QCOMPARE(previewRequest(QStringLiteral("主播"), QStringLiteral("C:\\T\\"), kPreviewA),
                 QStringLiteral("[BYNAME][主播][C:\\T\\TempImageA.BMP][A][BMP]\r\n"));
        QCOMPARE(takeOffReference(QStringLiteral("7.SBO表")), QStringLiteral("[BYNAME][7.SBO表]"));
        QCOMPARE(kClearText, QStringLiteral("-1"));
        QCOMPARE(templateFolderOf(QStringLiteral("/srv/tpl/demo.PRJ")),
                 QStringLiteral("/srv/tpl/"));
        // Every occurrence of the file name goes, as the folder has always been derived.
        QCOMPARE(templateFolderOf(QStringLiteral("/x/a.PRJ.d/a.PRJ")), QStringLiteral("/x/.d/"));
        QCOMPARE(templateFolderOf(QString()), QString());
    }

    void codePage950RoundTrip()
    {
        const QString text =
            QStringLiteral("[BYNAME][打者今日成績][2]EFFECT\r\n[NAME][0][許功蓋]\r\n");
        const Cp950Bytes bytes = toCp950(text);
        QVERIFY(!bytes.lossy);
        QCOMPARE(fromCp950(bytes.bytes), text);
        // 許 is 0xB3 0x5C: its second byte is a backslash.
        QVERIFY(toCp950(QStringLiteral("許")).bytes == QByteArray("\xB3\x5C"));
        QVERIFY(isValidCp950(bytes.bytes));
        QVERIFY(!isValidCp950(QByteArray("\x81")));
        QVERIFY(!isValidCp950(QByteArray("a\xa4\x20"
                                         "b")));
    }

    void characterOutsideTheTableBecomesQuestionMark()
    {
        const Cp950Bytes bytes = toCp950(QStringLiteral("王😀𠀀x"));
        QVERIFY(bytes.lossy);
        QCOMPARE(fromCp950(bytes.bytes), QStringLiteral("王??x"));
    }

    void wireFramesRoundTrip()
    {
        const QByteArray text = toCp950(QStringLiteral("許|功\\蓋")).bytes;
        const QByteArray frame = encodeRequestFrame(text);
        wire::FrameReader reader;
        // Arrives in two pieces.
        reader.append(frame.left(3));
        QByteArray payload;
        QCOMPARE(reader.next(payload), wire::FrameReader::Status::NeedMore);
        reader.append(frame.mid(3));
        QCOMPARE(reader.next(payload), wire::FrameReader::Status::Frame);
        const auto request = wire::decodeRequest(payload);
        QVERIFY(request);
        QCOMPARE(request->op, wire::Op::Send);
        QCOMPARE(request->code, 24);
        QCOMPARE(request->text, text);
        QCOMPARE(reader.buffered(), 0);

        const auto reply = wire::decodeReply(wire::encodeReply({-3, "ok"}).mid(4));
        QVERIFY(reply);
        QCOMPARE(reply->result, -3);
        QCOMPARE(reply->text, QByteArray("ok"));
        QVERIFY(!wire::decodeRequest(QByteArray("X\0\0\0\0", 5)));
        QVERIFY(!wire::decodeRequest(QByteArray("S\0", 2)));
    }

    void absurdFrameLengthIsRejected()
    {
        wire::FrameReader reader;
        reader.append(QByteArray("\x7f\xff\xff\xff", 4));
        QByteArray payload;
        QCOMPARE(reader.next(payload), wire::FrameReader::Status::TooLarge);
        wire::FrameReader negative;
        negative.append(QByteArray("\xff\xff\xff\xff", 4));
        QCOMPARE(negative.next(payload), wire::FrameReader::Status::TooLarge);
    }

    void endpointsAndLoopback()
    {
        QCOMPARE(wire::parseEndpoint(QStringLiteral("127.0.0.1"))->port, wire::kDefaultPort);
        QCOMPARE(wire::parseEndpoint(QStringLiteral("127.0.0.1:7300"))->port, quint16(7300));
        QCOMPARE(wire::parseEndpoint(QStringLiteral("[::1]:7301"))->host, QStringLiteral("::1"));
        QVERIFY(!wire::parseEndpoint(QStringLiteral("host:99999")));
        QVERIFY(!wire::parseEndpoint(QStringLiteral("")));
        QVERIFY(wire::isLoopbackHost(QStringLiteral("127.4.5.6")));
        QVERIFY(wire::isLoopbackHost(QStringLiteral("::1")));
        QVERIFY(wire::isLoopbackHost(QStringLiteral("LOCALHOST")));
        QVERIFY(!wire::isLoopbackHost(QStringLiteral("198.51.100.7")));
        QVERIFY(!wire::isLoopbackHost(QStringLiteral("cg-server")));
    }

private:
    static QByteArray encodeRequestFrame(const QByteArray& text)
    {
        return wire::encodeRequest({wire::Op::Send, 24, text});
    }
};

QTEST_GUILESS_MAIN(TstCgCommands)
#include "tst_cgcommands.moc"
