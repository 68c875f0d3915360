#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;

namespace hp::app {
class SettingsStore;
}

namespace hp::setup {

// The image folder for the graphics side: Frame2 "圖檔路徑" with the folder
// (Text3) and "瀏覽", and the folder chooser Frame3 "路徑": Drive1 lists the
// mount points of the machine, Dir1 the folders of the current one (a
// double-click enters a folder, ".." goes up). "確定" stores the folder as
// "IMAGESource" in the companion settings area.
class ImageFolder : public QWidget {
    Q_OBJECT
public:
    ImageFolder(app::SettingsStore& settings, QWidget* parent);

    QString folder() const;
    QString dir1Path() const { return m_dirPath; }

private:
    void showChooser();
    void driveChanged(int index);
    void enterFolder(const QString& entry);
    void setDirPath(const QString& path);
    void setFolderText(const QString& text);
    void confirm();

    app::SettingsStore& m_settings;
    QGroupBox* m_frame2;
    QGroupBox* m_frame3;
    QLineEdit* m_text3;
    QComboBox* m_drive1;
    QListWidget* m_dir1;
    QString m_dirPath;
};

// The folder as it is kept: with a trailing separator.
QString withTrailingSeparator(const QString& folder);

} // namespace hp::setup
