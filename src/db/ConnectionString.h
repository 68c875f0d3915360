#pragma once

#include "Result.h"

#include <QMap>
#include <QString>

namespace hp::db {

// A connection string in OLE DB form: "key=value" pairs separated by ";",
// keys matched without regard to case, values optionally in double or single
// quotes (a quote inside is written twice).
//   Provider=SQLite;Data Source=FILE;Persist Security Info=False
//   Provider=PostgreSQL;Host=H;Port=P;User ID=U;Password=W;Database=D;Persist Security Info=False
struct ConnectionSettings {
    enum class Engine { SQLite, PostgreSQL };
    Engine engine = Engine::SQLite;
    QString file; // SQLite
    QString host = QStringLiteral("127.0.0.1");
    int port = 5432;
    QString database;
    QString user;
    QString password;
};

// The pairs of the string, keys folded to lower case.
QMap<QString, QString> connectionPairs(const QString& connectionString);
Result<ConnectionSettings> parseConnectionString(const QString& connectionString);
QString buildConnectionString(const ConnectionSettings& settings);
// What a status panel shows of the string: the SQLite file or the
// PostgreSQL database, found by its key wherever it stands; empty when the
// string names neither. Never the password or any other option.
QString dataSourceCaption(const QString& connectionString);

} // namespace hp::db
