#include "mStart.h"

#include "OperatorDialogs.h"
#include "SettingsStore.h"
#include "WidgetStyle.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace hp::app {

namespace {
// A ball field seen from above: the decoration of the start window.
QPixmap fieldPicture(QSize size)
{
    QPixmap pix(size);
    pix.fill(QColor(0x1d, 0x5c, 0x2e));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF home(size.width() / 2.0, size.height() * 0.92);
    const double r = size.height() * 0.85;
    QPainterPath outfield;
    outfield.moveTo(home);
    outfield.arcTo(QRectF(home.x() - r, home.y() - r, 2 * r, 2 * r), 45, 90);
    outfield.closeSubpath();
    p.fillPath(outfield, QColor(0x2f, 0x8f, 0x46));
    const double d = size.height() * 0.32;
    QPolygonF infield{home, home + QPointF(d, -d), home + QPointF(0, -2 * d),
                      home + QPointF(-d, -d)};
    p.setBrush(QColor(0xb9, 0x84, 0x4f));
    p.setPen(QPen(Qt::white, 2));
    p.drawPolygon(infield);
    p.setBrush(Qt::white);
    for (const QPointF& b : infield)
        p.drawRect(QRectF(b.x() - 4, b.y() - 4, 8, 8));
    return pix;
}
} // namespace

mStart::mStart(SettingsStore& settings, OperatorDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("mStart"));
    setWindowTitle(QStringLiteral("體育轉播[棒球]---Norvik"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_mDataBase = menuBar()->addAction(QStringLiteral("資料庫設定"));
    m_mDataBase->setObjectName(QStringLiteral("mDataBase"));
    connect(m_mDataBase, &QAction::triggered, this, &mStart::mDataBase_Click);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    m_picture1 = new QLabel(central);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setPixmap(fieldPicture(QSize(420, 240)));
    m_picture1->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_picture1);

    auto* buttons = new QHBoxLayout;
    m_command1 = new QPushButton(QStringLiteral("設定比賽"), central);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2 = new QPushButton(QStringLiteral("繼續比賽"), central);
    m_command2->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* b : {m_command1, m_command2}) {
        makeProminent(b, 4, false, 48);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    setCentralWidget(central);

    placeOnScreen(this, sizeHint());

    connect(m_command1, &QPushButton::clicked, this, &mStart::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &mStart::Command2_Click);
}

void mStart::Command1_Click()
{
    emit setupRequested();
}

void mStart::Command2_Click()
{
    emit consoleRequested();
}

void mStart::mDataBase_Click()
{
    const auto chosen = m_dialogs.connectionString(m_settings.get(QStringLiteral("ODBC")));
    if (chosen)
        m_settings.set(QStringLiteral("ODBC"), *chosen);
}

} // namespace hp::app
