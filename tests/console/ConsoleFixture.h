#pragma once

#include "Outcomes.h"
#include "RemoteHarness.h"
#include "SetupStatements.h"
#include "TestDatabase.h"

#include <QFile>
#include <QtTest>

namespace hp::test {

inline const QString C = QStringLiteral("Baseball_Beat");

// A game of the demo league set up as GO leaves it (the first two teams,
// the first nine batters of each in roster order, the first pitcher), and
// the console opened from the start window on it.
struct ConsoleFixture {
    TestDatabase tdb;
    RemoteHarness h;
    setup::Selection selection;

    explicit ConsoleFixture(const QString& engine, bool openConsole = true,
                            std::shared_ptr<cglink::QpxNet> backend = nullptr)
        : tdb(engine, TestDatabase::Content::Demo)
        , h(std::move(backend))
    {
        if (!tdb.ok())
            return;
        auto d = tdb.open();
        const QStringList teams = setup::loadTeams(*d).value();
        selection.first = team(*d, teams[0]);
        selection.second = team(*d, teams[1]);
        const auto written = d->transaction([&] { return setup::initialiseGame(*d, selection); });
        if (!written)
            qWarning() << written.error();
        const QString project = h.settings.dir.filePath(QStringLiteral("demo.PRJ"));
        QFile f(project);
        if (f.open(QIODevice::WriteOnly))
            f.write("project\n");
        h.settings.store.set(QStringLiteral("ODBC"), tdb.connectionString());
        h.settings.store.set(QStringLiteral("QPXServerIP"), QStringLiteral("127.0.0.1"));
        h.settings.store.set(QStringLiteral("PRJ"), project);
        h.settings.store.set(QStringLiteral("PRJpath"), h.settings.dir.path() + u'/');
        h.settings.store.set(QStringLiteral("PreviewWait"), QStringLiteral("0"));
        if (openConsole)
            open();
    }

    static setup::TeamSelection team(db::Database& d, const QString& name)
    {
        setup::TeamSelection t;
        t.team = name;
        t.order = setup::teamBatters(d, name).value().mid(0, 9);
        t.positions = QStringList{QStringLiteral("CF"), QStringLiteral("SS"), QStringLiteral("RF"),
                                  QStringLiteral("1B"), QStringLiteral("LF"), QStringLiteral("3B"),
                                  QStringLiteral("C"),  QStringLiteral("2B"), QStringLiteral("DH")};
        t.pitcher = setup::teamPitchers(d, name).value().first();
        return t;
    }

    void open()
    {
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
    }

    // The console closed as the operator leaves it, its connections with it.
    void closeConsole()
    {
        QList<QPointer<QWidget>> consoles;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == C)
                consoles << w;
        qDeleteAll(consoles);
        db::Database::closePool();
    }

    QJsonObject get(const QString& control) { return h.get(C, control); }
    QString text(const QString& control) { return get(control)[QStringLiteral("text")].toString(); }
    bool enabled(const QString& control)
    {
        return get(control)[QStringLiteral("enabled")].toBool();
    }
    bool visible(const QString& control)
    {
        return get(control)[QStringLiteral("visible")].toBool();
    }
    QStringList items(const QString& control)
    {
        QStringList out;
        for (const QJsonValue& v : get(control)[QStringLiteral("items")].toArray())
            out << v.toString();
        return out;
    }
    QJsonObject act(const QString& control, const QString& action, QJsonObject extra = {})
    {
        return h.act(C, control, action, extra);
    }
    bool click(const QString& control) { return h.ok(act(control, QStringLiteral("click"))); }
    bool press(const QString& control, bool ctrl = false)
    {
        QJsonObject extra;
        if (ctrl)
            extra.insert(QStringLiteral("mods"), QJsonArray{QStringLiteral("ctrl")});
        return h.ok(act(control, QStringLiteral("press"), extra));
    }
    bool key(const QString& control, const QString& key)
    {
        return h.ok(act(control, QStringLiteral("key"), {{QStringLiteral("key"), key}}));
    }
    bool type(const QString& control, const QString& text)
    {
        return h.ok(act(control, QStringLiteral("type"), {{QStringLiteral("text"), text}}));
    }

    // As the operator does: the outcome's tab first, then its button.
    bool play(const QString& caption)
    {
        const game::OutcomeRule* rule = game::findOutcome(caption);
        const bool out = rule->tab == game::OutcomeTab::Out;
        act(QStringLiteral("SSTab3"), QStringLiteral("select"),
            {{QStringLiteral("index"), out ? 1 : 0}});
        return click(QStringLiteral("Command%1(%2)").arg(out ? 2 : 1).arg(rule->index));
    }
    bool undo(int box)
    {
        return h.ok(act(QStringLiteral("TimesS_txt(%1)").arg(box), QStringLiteral("dblclick")));
    }

    db::Row row(const QString& sql, const QVariantList& values = {})
    {
        auto d = tdb.open();
        const auto rows = d->query(sql, values);
        if (!rows || rows->isEmpty())
            return db::Row(std::make_shared<QStringList>(), {});
        return rows->first();
    }
    int count(const QString& table)
    {
        return row(QStringLiteral("SELECT COUNT(*) AS n FROM ") + table)
            .value(QStringLiteral("n"))
            .toInt();
    }
    void exec(const QString& sql, const QVariantList& values = {})
    {
        auto d = tdb.open();
        const auto r = d->exec(sql, values);
        QVERIFY2(r, qPrintable(r.error()));
    }
    QString batterRow(const QString& table, const QString& slot, const QString& column)
    {
        return row(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE 棒次=?"),
                   {slot})
            .value(column);
    }
    QString pitcherRow(const QString& table, const QString& column)
    {
        return row(QStringLiteral("SELECT * FROM ") + table).value(column);
    }
    QString rhe(const QString& half, const QString& column)
    {
        return row(QStringLiteral("SELECT * FROM RHE WHERE Half=?"), {half}).value(column);
    }
    // The name part of a roster entry.
    static QString nameOf(const QString& entry) { return entry.section(u':', 1); }
    static QString numberOf(const QString& entry) { return entry.section(u':', 0, 0); }
};

} // namespace hp::test
