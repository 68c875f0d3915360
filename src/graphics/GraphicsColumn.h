#pragma once

#include "CgLink.h"
#include "Services.h"
#include "mDisplay.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QListWidget;
class QPushButton;

namespace hp::graphics {

struct Graphic;
class GraphicsSource;
class PlayoutPanel;
class PreviewImage;

// What the graphics column is given by the console.
struct GraphicsContext {
    app::Services services;
    GraphicsSource& source;
    // The template project the console has open (empty path: none).
    const cglink::TemplateProject& project;
    // The reference the Escape key takes off air.
    std::function<void(const QString&)> setTakeOffReference;
};

// The graphics of the console: the in-game list List3 with play panel B
// (Frame4), the feature list List4 with play panel A (Frame3), the on-air
// image Image3, the quick count SBO_Cmd and the preview window.
class GraphicsColumn : public QWidget {
    Q_OBJECT
public:
    explicit GraphicsColumn(GraphicsContext context, QWidget* parent = nullptr);
    ~GraphicsColumn() override;

    // In-game item 1..12: selected, and its graphic prepared.
    void runInGame(int item);
    // Selected; prepared only when the selection changes.
    void selectInGame(int item);
    // Code 0 with "-1"; the on-air image emptied.
    void clearScreen();

    // The preview wait of the settings, in milliseconds (500 when unset).
    int previewWaitMs() const;
    PlayoutPanel* panelA() const { return m_panelA; }
    PlayoutPanel* panelB() const { return m_panelB; }
    // The frame of the on-air image and the quick count button, for the
    // console to place.
    QWidget* onAirFrame() const { return m_onAirFrame; }
    QPushButton* quickCountButton() const { return m_quickCount; }
    mDisplay* previewWindow() const { return m_window.data(); }

signals:
    // A list graphic's preview is in its panel (or the wait ran out).
    void previewShown();

private:
    void build();
    void List3_Click(int index);
    void List4_Click(int index);
    void SBO_Cmd_Click();
    // The steps every list click shares: the reference, the checks, the
    // composition, the sends, the stored command and the preview.
    void cue(PlayoutPanel& panel, const QString& itemText,
             const std::function<std::optional<Graphic>()>& compose);
    void setBusy(PlayoutPanel& panel, bool busy);

    GraphicsContext m_context;
    QListWidget* m_inGame = nullptr;
    QListWidget* m_features = nullptr;
    PlayoutPanel* m_panelA = nullptr;
    PlayoutPanel* m_panelB = nullptr;
    QWidget* m_onAirFrame = nullptr;
    PreviewImage* m_onAir = nullptr;
    QPushButton* m_quickCount = nullptr;
    // A window of its own (its Image1 is not the panel's): deleted with the
    // column unless it went first.
    QPointer<mDisplay> m_window;
    QList<PlayoutPanel*> m_busy;
};

} // namespace hp::graphics
