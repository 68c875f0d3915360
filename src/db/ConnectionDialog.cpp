#include "ConnectionDialog.h"

#include "Database.h"
#include "Schema.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace hp::db {

ConnectionDialog::ConnectionDialog(const QString& current, QWidget* parent, Confirm confirm)
    : QDialog(parent)
    , m_confirm(std::move(confirm))
{
    if (!m_confirm)
        m_confirm = [this](const QString& question) {
            return QMessageBox::question(this, QStringLiteral("建立新資料庫"), question) ==
                   QMessageBox::Yes;
        };
    setObjectName(QStringLiteral("ConnectionDialog"));
    setWindowTitle(QStringLiteral("資料庫設定"));

    m_engine = new QComboBox(this);
    m_engine->setObjectName(QStringLiteral("Engine"));
    m_engine->addItems({QStringLiteral("SQLite 資料庫檔案"), QStringLiteral("PostgreSQL 伺服器")});

    m_pages = new QStackedWidget(this);
    auto* sqlitePage = new QWidget(m_pages);
    auto* sqliteForm = new QFormLayout(sqlitePage);
    m_file = new QLineEdit(sqlitePage);
    m_file->setObjectName(QStringLiteral("File"));
    auto* browse = new QPushButton(QStringLiteral("瀏覽"), sqlitePage);
    browse->setObjectName(QStringLiteral("Browse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    sqliteForm->addRow(QStringLiteral("檔案"), fileRow);
    auto* create = new QPushButton(QStringLiteral("建立新資料庫"), sqlitePage);
    create->setObjectName(QStringLiteral("Create"));
    sqliteForm->addRow(QString(), create);
    m_pages->addWidget(sqlitePage);

    auto* pgPage = new QWidget(m_pages);
    auto* pgForm = new QFormLayout(pgPage);
    m_host = new QLineEdit(pgPage);
    m_host->setObjectName(QStringLiteral("Host"));
    m_port = new QSpinBox(pgPage);
    m_port->setObjectName(QStringLiteral("Port"));
    m_port->setRange(1, 65535);
    m_database = new QLineEdit(pgPage);
    m_database->setObjectName(QStringLiteral("Database"));
    m_user = new QLineEdit(pgPage);
    m_user->setObjectName(QStringLiteral("User"));
    m_password = new QLineEdit(pgPage);
    m_password->setObjectName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    pgForm->addRow(QStringLiteral("主機"), m_host);
    pgForm->addRow(QStringLiteral("連接埠"), m_port);
    pgForm->addRow(QStringLiteral("資料庫"), m_database);
    pgForm->addRow(QStringLiteral("使用者"), m_user);
    pgForm->addRow(QStringLiteral("密碼"), m_password);
    m_pages->addWidget(pgPage);

    auto* test = new QPushButton(QStringLiteral("測試連線"), this);
    test->setObjectName(QStringLiteral("Test"));
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("Result"));
    m_result->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("確定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto* layout = new QVBoxLayout(this);
    auto* engineRow = new QFormLayout;
    engineRow->addRow(QStringLiteral("資料庫種類"), m_engine);
    layout->addLayout(engineRow);
    layout->addWidget(m_pages);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test);
    testRow->addWidget(m_result, 1);
    layout->addLayout(testRow);
    layout->addWidget(buttons);

    connect(m_engine, &QComboBox::currentIndexChanged, m_pages, &QStackedWidget::setCurrentIndex);
    connect(browse, &QPushButton::clicked, this, &ConnectionDialog::browse);
    connect(create, &QPushButton::clicked, this, &ConnectionDialog::createDatabase);
    connect(test, &QPushButton::clicked, this, &ConnectionDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    ConnectionSettings initial;
    if (const auto parsed = parseConnectionString(current))
        initial = parsed.value();
    m_engine->setCurrentIndex(initial.engine == ConnectionSettings::Engine::SQLite ? 0 : 1);
    m_file->setText(initial.file);
    m_host->setText(initial.host);
    m_port->setValue(initial.port);
    m_database->setText(initial.database);
    m_user->setText(initial.user);
    m_password->setText(initial.password);
    resize(520, sizeHint().height());
}

ConnectionSettings ConnectionDialog::settings() const
{
    ConnectionSettings s;
    s.engine = m_engine->currentIndex() == 0 ? ConnectionSettings::Engine::SQLite
                                             : ConnectionSettings::Engine::PostgreSQL;
    s.file = m_file->text().trimmed();
    s.host = m_host->text().trimmed();
    s.port = m_port->value();
    s.database = m_database->text().trimmed();
    s.user = m_user->text().trimmed();
    s.password = m_password->text();
    return s;
}

QString ConnectionDialog::connectionString() const
{
    return buildConnectionString(settings());
}

void ConnectionDialog::browse()
{
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("選擇資料庫檔案"), m_file->text(),
                                     QStringLiteral("SQLite (*.db *.sqlite *.sqlite3);;* (*)"));
    if (!file.isEmpty())
        m_file->setText(file);
}

void ConnectionDialog::createDatabase()
{
    if (m_file->text().trimmed().isEmpty()) {
        const QString file = QFileDialog::getSaveFileName(
            this, QStringLiteral("新資料庫檔案"), QString(), QStringLiteral("SQLite (*.db)"));
        if (file.isEmpty())
            return;
        m_file->setText(file);
    }
    const QString file = settings().file;
    if (QFileInfo::exists(file)) {
        m_result->setText(QStringLiteral("檔案已存在,不會覆寫:") + file);
        return;
    }
    if (!m_confirm(QStringLiteral("在 %1 建立新的比賽資料庫(建立所有資料表,沒有球員)?").arg(file)))
        return;
    const auto created = createGameDatabase(connectionString());
    m_result->setText(created ? QStringLiteral("已建立新的比賽資料庫 %1(%2 個資料表);"
                                               "請以 homeplate --import-roster 匯入球員名單")
                                    .arg(file)
                                    .arg(tableNames().size())
                              : created.error());
}

void ConnectionDialog::testConnection()
{
    const auto db = Database::open(connectionString(), Database::Pooling::Fresh);
    if (!db) {
        m_result->setText(db.error());
        return;
    }
    const auto probe = db.value()->query(QStringLiteral("SELECT 1"));
    m_result->setText(probe ? QStringLiteral("連線成功") : probe.error());
}

void ConnectionDialog::accept()
{
    const auto parsed = parseConnectionString(connectionString());
    if (!parsed) {
        m_result->setText(parsed.error());
        return;
    }
    QDialog::accept();
}

std::optional<QString> ConnectionDialog::ask(const QString& current, QWidget* parent)
{
    ConnectionDialog dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.connectionString();
}

} // namespace hp::db
