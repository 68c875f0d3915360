#pragma once

#include <QGroupBox>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace hp::graphics {

class PreviewImage;
class PreviewLoader;

// The names of one play panel's controls and its preview file.
struct PanelNames {
    QString frame;     // Frame3 / Frame4
    QString play;      // Command6 / Command5
    QString cut;       // FastCheck1 / FastCheck2
    QString option;    // Option1 / Option2 (indexed 0 and 1)
    QString image;     // Image1 / Image2
    QString loader;    // Picture1 / Picture2
    QString preview;   // Command8 / Command7
    QString imageFile; // TempImageA.BMP / TempImageB.BMP
    QString title;
};

// One play panel: the graphic its list prepared, played with a fade or a
// cut on either layer, and its preview image.
class PlayoutPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit PlayoutPanel(const PanelNames& names, QWidget* parent = nullptr);

    const PanelNames& names() const { return m_names; }
    // A graphic's commands went to the CG link: the command (still holding
    // "EFFECT") and its play code become the panel's, for the play button,
    // composed for item `index` of the panel's list; the play button is off
    // until the checks come back and the new preview is in.
    void beginCue(const QString& command, qint16 playCode, int index);
    // The checks of the oldest cue came back. Passed: its preview is awaited
    // (when no newer cue is under way), the picture emptied until then.
    // Refused: the panel goes back to the graphic last passed.
    void cuePassed(int waitMs);
    void cueRefused();
    // Cues whose checks have not come back.
    int cuesUnderWay() const { return m_underWay.size(); }
    // The graphic could not be prepared: nothing to play, and in place of
    // the preview why.
    void disarm(const QString& why);
    const QString& storedCommand() const { return m_command; }
    qint16 storedCode() const { return m_code; }
    bool prepared() const { return m_prepared; }
    // The list item the stored command was composed for; -1 when none.
    int cuedIndex() const { return m_prepared ? m_index : -1; }
    // The preview as the panel shows it.
    const QImage& picture() const;

    // Around the preview request: the loader notes the file before it and
    // fills the preview once the CG has written it.
    void armPreview(const QString& folder);
    QString imagePath(const QString& folder) const { return folder + m_names.imageFile; }

    // Asks for the stored graphic to be played with the chosen effect.
    void play();

signals:
    // The stored graphic is to go out: its play code, the command with the
    // chosen effect, and the effect ("[E]", "[FO][n]").
    void played(qint16 code, const QString& command, const QString& effect);
    // A double-click on the frame: clear the screen.
    void clearRequested();
    // The preview button or a right-button press on the image.
    void previewRequested(const QString& imageFile);
    // The preview wait ended.
    void previewShown();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void FastCheck_Click();
    bool firstLayer() const;

    PanelNames m_names;
    QPushButton* m_play;
    QCheckBox* m_cut;
    QRadioButton* m_layers[2];
    PreviewImage* m_image;
    PreviewLoader* m_loader;
    struct Stored {
        QString command;
        qint16 code = 0;
        int index = -1;
        bool prepared = false;
    };
    void restore(const Stored& s);
    Stored current() const;
    void enablePlay();

    QString m_command;
    qint16 m_code = 0;
    int m_index = -1;
    bool m_prepared = false;
    // The cues whose checks have not come back, oldest first, and the one
    // passed last (or what the panel held before them).
    QList<Stored> m_underWay;
    Stored m_passed;
};

} // namespace hp::graphics
