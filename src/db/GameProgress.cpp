#include "GameProgress.h"

#include "Schema.h"

#include <QUuid>

namespace hp::db {

QString newGameId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

Statements newGameStatements(const QString& game)
{
    return {{QStringLiteral("DELETE FROM ") + progressTableName(), {}},
            {QStringLiteral("INSERT INTO ") + progressTableName() +
                 QStringLiteral(" (GameID,LastSeq) VALUES (?,?)"),
             {game, QVariant(qlonglong(0))}}};
}

Result<GameIdentity> gameIdentity(Database& db)
{
    const auto rows = db.query(QStringLiteral("SELECT GameID,LastSeq FROM ") + progressTableName() +
                               QStringLiteral(" ORDER BY GameID LIMIT 1"));
    if (!rows)
        return Result<GameIdentity>::failure(rows.error());
    if (!rows->isEmpty())
        return GameIdentity{rows->first().value(QStringLiteral("GameID")),
                            rows->first().value(QStringLiteral("LastSeq")).toLongLong()};
    const GameIdentity named{newGameId(), 0};
    if (const auto r = db.execute(newGameStatements(named.game)); !r)
        return Result<GameIdentity>::failure(r.error());
    return named;
}

Result<UnitOutcome> advanceGame(Database& db, const QString& game, qint64 seq)
{
    using R = Result<UnitOutcome>;
    const QVariant n(qlonglong{seq});
    const auto moved = db.exec(QStringLiteral("UPDATE ") + progressTableName() +
                                   QStringLiteral(" SET LastSeq=? WHERE GameID=? AND LastSeq<?"),
                               {n, game, n});
    if (!moved)
        return R::failure(moved.error());
    if (*moved > 0)
        return UnitOutcome::Stored;
    const auto known = db.query(QStringLiteral("SELECT LastSeq FROM ") + progressTableName() +
                                    QStringLiteral(" WHERE GameID=?"),
                                {game});
    if (!known)
        return R::failure(known.error());
    return known->isEmpty() ? UnitOutcome::OtherGame : UnitOutcome::AlreadyStored;
}

Result<UnitOutcome> storeUnit(Database& db, const NumberedUnit& unit)
{
    const auto advanced = advanceGame(db, unit.game, unit.seq);
    if (!advanced || *advanced != UnitOutcome::Stored)
        return advanced;
    if (const auto r = db.execute(unit.statements); !r)
        return Result<UnitOutcome>::failure(r.error());
    return UnitOutcome::Stored;
}

} // namespace hp::db
