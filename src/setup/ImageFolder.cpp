#include "ImageFolder.h"

#include "SettingsStore.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

namespace hp::setup {

QString withTrailingSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

ImageFolder::ImageFolder(app::SettingsStore& settings, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
{
    m_frame2 = new QGroupBox(QStringLiteral("圖檔路徑"), this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    m_text3 = new QLineEdit(m_frame2);
    m_text3->setObjectName(QStringLiteral("Text3"));
    auto* browse = new QPushButton(QStringLiteral("瀏覽"), m_frame2);
    browse->setObjectName(QStringLiteral("Command14"));
    auto* row = new QHBoxLayout(m_frame2);
    row->addWidget(m_text3, 1);
    row->addWidget(browse);

    m_frame3 = new QGroupBox(QStringLiteral("路徑"), this);
    m_frame3->setObjectName(QStringLiteral("Frame3"));
    m_drive1 = new QComboBox(m_frame3);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            m_drive1->addItem(v.rootPath());
    m_dir1 = new QListWidget(m_frame3);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setMinimumHeight(120);
    auto* ok = new QPushButton(QStringLiteral("確定"), m_frame3);
    ok->setObjectName(QStringLiteral("Command15"));
    auto* chooser = new QVBoxLayout(m_frame3);
    chooser->addWidget(m_drive1);
    chooser->addWidget(m_dir1, 1);
    chooser->addWidget(ok);
    m_frame3->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_frame2->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(m_frame2);
    layout->addWidget(m_frame3, 10);
    layout->addStretch(1);

    connect(browse, &QPushButton::clicked, this, &ImageFolder::showChooser);
    connect(m_drive1, &QComboBox::activated, this, &ImageFolder::driveChanged);
    connect(m_dir1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { enterFolder(item->text()); });
    connect(m_text3, &QLineEdit::editingFinished, this, [this] { setFolderText(m_text3->text()); });
    connect(ok, &QPushButton::clicked, this, &ImageFolder::confirm);
    setDirPath(QDir::homePath());
}

QString ImageFolder::folder() const
{
    return m_text3->text();
}

void ImageFolder::showChooser()
{
    m_frame3->show();
}

void ImageFolder::driveChanged(int index)
{
    setDirPath(m_drive1->itemText(index));
    setFolderText(m_dirPath);
}

void ImageFolder::enterFolder(const QString& entry)
{
    QDir dir(m_dirPath);
    if (!dir.cd(entry))
        return;
    setDirPath(dir.absolutePath());
    setFolderText(m_dirPath);
}

void ImageFolder::setDirPath(const QString& path)
{
    m_dirPath = path;
    m_dir1->clear();
    const QDir dir(path);
    if (!dir.isRoot())
        m_dir1->addItem(QStringLiteral(".."));
    m_dir1->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name));
    m_dir1->setToolTip(path);
}

void ImageFolder::setFolderText(const QString& text)
{
    // A folder always ends with its separator; typed text gets it when the
    // operator leaves the box, so that typing is not interrupted.
    m_text3->setText(withTrailingSeparator(text));
}

void ImageFolder::confirm()
{
    setFolderText(m_text3->text());
    // A folder that could not be stored stays in the chooser (the store has
    // told the operator why).
    if (m_settings.write(app::kCompanionAppName, app::kSection, QStringLiteral("IMAGESource"),
                         m_text3->text()))
        m_frame3->hide();
}

} // namespace hp::setup
