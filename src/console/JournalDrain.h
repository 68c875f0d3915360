#pragma once

#include "Journal.h"

#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace hp::console {

// Stores the journal's waiting units on a thread of its own, in order, on a
// connection of its own, so that the window goes on answering the operator
// however many wait and however slowly the database takes them. Units come
// in with add() (a queued call); what became of them goes back as signals,
// which reach the window thread queued.
//
// Each unit is stored with the game's last sequence in the same
// transaction (several units to a transaction, for speed): a unit already
// stored is skipped, and units of a game the tables no longer hold are not
// stored at all.
class JournalDrain : public QObject {
    Q_OBJECT
public:
    using Preparation = std::function<db::Statements(db::ConnectionSettings::Engine)>;
    explicit JournalDrain(Preparation preparation);
    ~JournalDrain() override;

    // On the drain's thread.
    void add(const QList<Journal::Unit>& units, const QString& connectionString);
    // An attempt now rather than at the next tick.
    void nudge();

signals:
    // Every unit up to `through` is in the tables (`units` of them this time).
    void stored(qint64 through, int units);
    // The database refused the unit: its words.
    void refused(qint64 seq, const QString& error);
    // The tables hold another game: none of the units was stored, and the
    // queue is empty.
    void otherGame(const QString& game, qint64 lastSeq);
    // The database cannot be reached: the units wait, tried again every 2 s.
    void unreachable(const QString& words);
    // Nothing waits any more. `tables`: the today tables read afresh when a
    // unit was refused (the window's kept rows had it in them), else empty.
    void drained(qint64 through, const QJsonObject& tables);

private:
    void drain();
    bool connect();
    void lost(const QString& words);
    // One transaction of up to `size` units from the head of the queue;
    // false when the drain stops for now.
    bool storeBatch(qsizetype size);

    Preparation m_preparation;
    QList<Journal::Unit> m_queue;
    QString m_connection;
    std::unique_ptr<db::Database> m_db;
    QTimer* m_retry;
    bool m_scheduled = false;
    bool m_refusedSince = false;
    qint64 m_lastSeq = 0;
    qint64 m_through = 0;
};

} // namespace hp::console
