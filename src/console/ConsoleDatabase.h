#pragma once

#include "Database.h"
#include "Journal.h"
#include "TodayCache.h"

#include <QObject>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>

namespace hp::console {

using db::Statement;
using db::Statements;

// Every database read and write of the console. One operator action is one
// unit of work: whatever its handlers read and write goes through one
// connection and one transaction, committed when the action ends, so that an
// action is stored whole or not at all. A failing statement ends the action's
// database work (rolled back, the rest of it refused) and is reported; the
// screen keeps what the operator recorded.
//
// The window never waits on the database longer than 250 ms: a statement
// that takes longer is cancelled and its connection replaced.
//
// With a journal, an action that cannot reach the database (server down or
// frozen, connection lost, file locked, missing or unreadable) is not lost:
// its writes are kept in the journal, numbered, in order, and a drain on a
// thread of its own stores them when the database answers again, while the
// reads of the game's tables are answered from the rows kept since the
// opening. As long as anything waits, every new action joins the journal
// behind it. Every action is stored with the game's last sequence in its own
// transaction, so nothing is stored twice or into another game; a journal
// of another game is set aside. An action the database refuses is set aside
// in the journal's rejected file.
class ConsoleDatabase : public QObject {
    Q_OBJECT
public:
    explicit ConsoleDatabase(std::function<QString()> connectionString, QObject* parent = nullptr);
    ~ConsoleDatabase() override;

    // Held for the length of one operator action; an action started inside
    // another joins it.
    class Action {
    public:
        explicit Action(ConsoleDatabase& db);
        ~Action();
        Action(const Action&) = delete;
        Action& operator=(const Action&) = delete;

    private:
        ConsoleDatabase& m_db;
    };

    Result<db::Rows> query(const QString& sql, const QVariantList& values = {});
    // The first row, or nullopt when there is none or the query failed.
    std::optional<db::Row> firstRow(const QString& sql, const QVariantList& values = {});
    // Writes the statements as part of the current action (or as an action of
    // their own when none is running).
    void store(const Statements& statements);
    void store(const Statement& statement) { store(Statements{statement}); }
    // Whether the current action's database work has failed (its reads are
    // refused from then on, and nothing of it is stored).
    bool actionFailed() const { return m_actionFailed; }
    // Why the current (or the last) action failed: the engine's words, or
    // those of its commit step.
    const QString& refusal() const { return m_refusal; }

    // The action's last step, run just before its transaction is committed
    // (the settings keys written with it): when the step fails, the action
    // is rolled back and fails with its words; when the commit fails after
    // it, `undo` runs. One per action; what the step uses must outlive the
    // action.
    void setCommitStep(std::function<Result<Done>()> step, std::function<void()> undo);

    // Follows every operator action: `began` as it begins; `closing` as it
    // ends with the writes it made (none when it failed or wrote nothing),
    // and what `closing` returns joins the action's unit, stored or kept in
    // the journal with it.
    void setUnitWatch(std::function<void()> began,
                      std::function<Statements(const Statements&)> closing)
    {
        m_began = std::move(began);
        m_closing = std::move(closing);
    }

    // Statements run once per connection string before the first action, for
    // tables an older database may lack. Their failure is reported.
    void setPreparation(std::function<Statements(db::ConnectionSettings::Engine)> preparation);

    // Keeps the actions that cannot reach the database in the journal (read
    // from its file now) and stores them as soon as it answers.
    void setJournal(std::unique_ptr<Journal> journal);
    const Journal* journal() const { return m_journal.get(); }
    int waitingUnits() const { return m_journal ? int(m_journal->pending().size()) : 0; }
    // The game whose tables the console works on, and the number its next
    // action gets.
    const QString& game() const { return m_game; }
    qint64 nextSeq() const { return m_nextSeq; }
    const TodayCache& cache() const { return m_cache; }
    // Reads the game's tables into the cache (the opening); after the
    // waiting actions, when the database answers.
    void keepGameTables();
    // The retry timer's tick: writes what a failed journal write left in
    // memory, and asks the drain for an attempt now.
    void retry();

    // Sees every statement as it is run (benchmarks, diagnostics).
    void setObserver(std::function<void(const Statement&)> observer)
    {
        m_observer = std::move(observer);
    }

signals:
    // A statement or the connection failed: the engine's words.
    void failed(const QString& error);
    // An action was stored after an earlier one had failed.
    void recovered();
    // Actions wait in the journal for the database; words: why (the engine's
    // words of the outage, or a read the kept rows could not answer).
    void waiting(int units, const QString& words);
    // The waiting actions were all stored.
    void forwarded(int units);
    // Actions wait, and the journal could not be written: they are in memory
    // only. Words: the journal's failure.
    void memoryOnly(int units, const QString& words);
    // A journal of another game or database was renamed aside: what and why.
    void setAside(const QString& words);
    // An operator action ended (whatever became of its writes): what the
    // console shows may have changed.
    void actionEnded();

private:
    void begin();
    void end();
    db::Database* session();
    bool connect();
    void fail(const QString& error);
    // A failure of the database: kept for later when it cannot be reached
    // (and a journal is there), else the action fails.
    void failure(const QString& error, bool unreachable);
    // The rest of the action works on the journal and the kept rows.
    void goOffline(const QString& words);
    void keepUnit();
    // Learns which game the tables hold; a waiting journal of another one is
    // set aside.
    Result<Done> learnGame(db::Database& db, const QString& connection);
    void setJournalAside();
    void startDrain();
    void post(const QList<Journal::Unit>& units);
    void reportJournal(const Result<Done>& written);
    // The drain's reports.
    void unitsStored(qint64 through, int units);
    void unitRefused(qint64 seq, const QString& error);
    void otherGame(const QString& game, qint64 lastSeq);
    void stillAway(const QString& words);
    void drained(qint64 through, const QJsonObject& tables);
    Result<db::Rows> answerFromCache(const QString& sql, const QVariantList& values);

    std::function<QString()> m_connectionString;
    std::function<Statements(db::ConnectionSettings::Engine)> m_preparation;
    std::function<void(const Statement&)> m_observer;
    std::function<void()> m_began;
    std::function<Statements(const Statements&)> m_closing;
    QString m_prepared;
    QString m_identityFor; // the connection whose game is m_game
    QString m_game;
    qint64 m_nextSeq = 1;
    qint64 m_storedSeq = 0; // the game's last stored unit when m_game was learnt
    int m_depth = 0;
    std::unique_ptr<db::Database> m_db;
    bool m_inTransaction = false;
    bool m_actionFailed = false;
    bool m_wrote = false;
    bool m_downReported = false;
    std::unique_ptr<Journal> m_journal;
    TodayCache m_cache;
    QTimer m_retry;
    bool m_offline = false;    // the action runs on the journal
    Statements m_unit;         // the action's writes
    bool m_unanswered = false; // a read the kept rows could not answer
    QString m_words;           // why the action went to the journal
    QString m_refusal;         // the engine's words when the action failed
    std::function<Result<Done>()> m_commitStep;
    std::function<void()> m_undoCommitStep;
    TodayCache m_cacheBeforeUnit; // the kept rows before an action that went to the journal
    QString m_outage;             // the drain's words of why the actions wait
    QString m_journalWords;       // why the journal could not be written
    int m_forwarded = 0;          // units the drain stored (not refused) since the outage began
    int m_refused = 0;
    QThread m_thread;
    class JournalDrain* m_drain = nullptr;
};

} // namespace hp::console
