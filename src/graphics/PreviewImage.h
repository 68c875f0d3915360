#pragma once

#include <QImage>
#include <QLabel>

namespace hp::graphics {

// A preview picture drawn scaled into its box by the fit rule. The picture as
// read sits in a hidden loader beside it (Picture1, Picture2, …). A file that
// cannot be read leaves the previous picture, without a message.
class PreviewImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QSize imageSize READ imageSize)
public:
    PreviewImage(const QString& name, const QString& loaderName, const QSize& box,
                 QWidget* parent = nullptr);

    // False when the file could not be read (the picture stays).
    bool load(const QString& file);
    void setPicture(const QImage& picture);
    // An empty picture.
    void clearPicture();
    // No picture, and in its place why there is none.
    void showNote(const QString& note);
    // The size the picture is drawn at; empty when there is none.
    QSize imageSize() const { return m_drawn; }
    const QImage& picture() const { return m_picture; }

signals:
    void doubleClicked();
    void rightPressed();
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QSize m_box;
    QSize m_drawn;
    QImage m_picture;
    QWidget* m_loader;
};

} // namespace hp::graphics
