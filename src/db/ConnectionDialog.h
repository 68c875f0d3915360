#pragma once

#include "ConnectionString.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;

namespace hp::db {

// Builds a connection string: an SQLite file, or a PostgreSQL server. The
// test button opens the database and shows success or the engine's error.
class ConnectionDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConnectionDialog(const QString& current, QWidget* parent = nullptr);

    QString connectionString() const;
    // Accepts only a string that names a usable database.
    void accept() override;

    // Shows the dialog; nullopt when cancelled.
    static std::optional<QString> ask(const QString& current, QWidget* parent);

private:
    ConnectionSettings settings() const;
    void testConnection();
    void browse();

    QComboBox* m_engine;
    QStackedWidget* m_pages;
    QLineEdit* m_file;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_database;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLabel* m_result;
};

} // namespace hp::db
