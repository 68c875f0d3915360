#pragma once

#include <QWidget>

namespace hp::graphics {

class PreviewImage;

// The enlarged preview "影像預覽": a panel's preview file drawn in a 720 × 486
// box. A press on the picture or the window losing the focus closes it.
class mDisplay : public QWidget {
    Q_OBJECT
public:
    explicit mDisplay(QWidget* parent = nullptr);

    // Opens (modeless) on the file; a file that cannot be read keeps the
    // picture shown before.
    void showFile(const QString& file);
    PreviewImage* image() const { return m_image; }

protected:
    void changeEvent(QEvent* event) override;

private:
    PreviewImage* m_image;
    bool m_wasActive = false;
};

} // namespace hp::graphics
