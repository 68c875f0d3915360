#pragma once

#include "ConnectionString.h"

#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;

namespace hp::db {

// Builds a connection string: an SQLite file, or a PostgreSQL server. The
// test button opens the database and shows success or the engine's error;
// the create button, after asking, makes a new SQLite game database with
// every table (what `homeplate --init-db` does).
class ConnectionDialog : public QDialog {
    Q_OBJECT
public:
    // Puts a yes/no question to the operator; a message box unless replaced.
    using Confirm = std::function<bool(const QString& question)>;
    explicit ConnectionDialog(const QString& current, QWidget* parent = nullptr,
                              Confirm confirm = {});

    QString connectionString() const;
    // Accepts only a string that names a usable database.
    void accept() override;

    // Shows the dialog; nullopt when cancelled.
    static std::optional<QString> ask(const QString& current, QWidget* parent);

private:
    ConnectionSettings settings() const;
    void testConnection();
    void browse();
    void createDatabase();

    QComboBox* m_engine;
    QStackedWidget* m_pages;
    QLineEdit* m_file;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_database;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLabel* m_result;
    Confirm m_confirm;
};

} // namespace hp::db
