#pragma once

#include "CgLink.h"
#include "Clock.h"
#include "EventLog.h"
#include "FakeQpxNet.h"
#include "Navigator.h"
#include "RemoteServer.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QWidget>

namespace hp::test {

// The whole program in one process, driven through the remote-control
// handler as a client would, without a socket.
struct RemoteHarness {
    TestSettings settings;
    app::EventLog log;
    app::ScriptedDialogs dialogs{log};
    app::FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(19, 0, 0))};
    std::shared_ptr<FakeQpxNet> net = std::make_shared<FakeQpxNet>();
    cglink::CgLink cg{net};
    remote::RemoteServer server{log, &dialogs};
    QString positionsFile = QStringLiteral(HOMEPLATE_POSITIONS_FILE);
    shell::Navigator navigator{app::Services{settings.store, dialogs, clock, cg}, positionsFile};

    // With a backend the program talks to it (a real CG); without, to `net`.
    explicit RemoteHarness(std::shared_ptr<cglink::QpxNet> backend = nullptr)
        : cg(backend ? std::move(backend) : net)
    {
    }

    ~RemoteHarness()
    {
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!w->parent())
                windows << w;
        qDeleteAll(windows);
    }

    // The CG link carries out what a request posted on its own thread; unless
    // told not to, a request returns once every command is done and its
    // result handled (previews shown, refusals said).
    bool waitForCg = true;

    QJsonObject request(const QJsonObject& r)
    {
        const QJsonObject response = server.handle(QJsonDocument(r).toJson(QJsonDocument::Compact));
        if (waitForCg && !settled(cg))
            qWarning("the CG link did not settle");
        return response;
    }
    QJsonObject act(const QString& window, const QString& control, const QString& action,
                    QJsonObject extra = {})
    {
        extra.insert(QStringLiteral("op"), QStringLiteral("act"));
        extra.insert(QStringLiteral("window"), window);
        extra.insert(QStringLiteral("control"), control);
        extra.insert(QStringLiteral("action"), action);
        return request(extra);
    }
    QJsonObject menu(const QString& window, const QString& action)
    {
        return request({{QStringLiteral("op"), QStringLiteral("menu")},
                        {QStringLiteral("window"), window},
                        {QStringLiteral("action"), action}});
    }
    QJsonObject get(const QString& window, const QString& control)
    {
        return request({{QStringLiteral("op"), QStringLiteral("get")},
                        {QStringLiteral("window"), window},
                        {QStringLiteral("control"), control}})
            .value(QStringLiteral("state"))
            .toObject();
    }
    void answer(const QString& kind, const QJsonValue& value)
    {
        request({{QStringLiteral("op"), QStringLiteral("answer")},
                 {QStringLiteral("kind"), kind},
                 {QStringLiteral("value"), value}});
    }
    // Messages since the last call, as "text/title".
    QStringList messages()
    {
        QStringList out;
        const QJsonArray events = request({{QStringLiteral("op"), QStringLiteral("events")}})
                                      .value(QStringLiteral("events"))
                                      .toArray();
        for (const QJsonValue& e : events)
            if (e[QStringLiteral("kind")] == QStringLiteral("message"))
                out << e[QStringLiteral("text")].toString() + u'/' +
                           e[QStringLiteral("title")].toString();
        return out;
    }
    QStringList panels(const QString& window)
    {
        QStringList out;
        for (const QJsonValue& v :
             get(window, QStringLiteral("StatusBar1"))[QStringLiteral("panels")].toArray())
            out << v.toString();
        return out;
    }
    bool ok(const QJsonObject& response) { return response.value(QStringLiteral("ok")).toBool(); }
};

} // namespace hp::test
