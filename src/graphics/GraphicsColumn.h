#pragma once

#include "CgLink.h"
#include "Services.h"
#include "mDisplay.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

namespace hp::graphics {

struct Graphic;
class GraphicsSource;
class OnAirTally;
class PlayoutPanel;
class PreviewImage;

// What the graphics column is given by the console.
struct GraphicsContext {
    app::Services services;
    GraphicsSource& source;
    // The template project the console has open (empty path: none).
    const cglink::TemplateProject& project;
};

// The graphics of the console: the in-game list List3 with play panel B
// (Frame4), the feature list List4 with play panel A (Frame3), the on-air
// image Image3 with the tally of what is on each layer (OnAir_Lab), the
// quick count SBO_Cmd and the preview window.
//
// What a panel previews is what its play button sends, as the console shows
// it now: after every change of the console the prepared graphics are
// composed again and, where the text changed, loaded and previewed again.
// While the quick count is on air it follows the count the same way.
class GraphicsColumn : public QWidget {
    Q_OBJECT
public:
    explicit GraphicsColumn(GraphicsContext context, QWidget* parent = nullptr);
    ~GraphicsColumn() override;

    // In-game item 1..12: selected, and its graphic prepared.
    void runInGame(int item);
    // Code 0 with "-1"; the tally and the on-air image emptied.
    void clearScreen();
    // Code 5 with the reference of the graphic played last that is still on
    // air; nothing when the tally has none.
    void takeOffLastPlayed();
    // At the end of every action that changed the console: stale cues are
    // prepared again, the live quick count is sent again. Never plays a
    // list graphic, never moves the selection or the focus.
    void consoleChanged();
    const OnAirTally& tally() const { return *m_tally; }

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
    enum class Cue { Operator, Refresh };
    // The steps every cue shares: the checks, the composition, the sends, the
    // stored command and the preview. A refresh sends only when the text
    // changed, and says a refusal in the panel instead of a message box.
    void cue(PlayoutPanel& panel, int index, Cue kind);
    // The checks of a cue came back (refused: why not).
    void cued(PlayoutPanel& panel, const Graphic& graphic, bool byOperator, bool sent,
              const std::optional<cglink::Notice>& refused);
    std::optional<Graphic> compose(PlayoutPanel& panel, int index);
    QString itemText(const PlayoutPanel& panel, int index) const;
    void panelPlayed(const PlayoutPanel& panel, qint16 code, const QString& command,
                     const QString& effect);
    void followCount();
    void showOnAir();
    void setBusy(PlayoutPanel& panel, bool busy);

    GraphicsContext m_context;
    QListWidget* m_inGame = nullptr;
    QListWidget* m_features = nullptr;
    PlayoutPanel* m_panelA = nullptr;
    PlayoutPanel* m_panelB = nullptr;
    QWidget* m_onAirFrame = nullptr;
    PreviewImage* m_onAir = nullptr;
    QLabel* m_onAirLines = nullptr;
    OnAirTally* m_tally = nullptr;
    // The quick count as last sent, to send it again only when it changed.
    QString m_liveCount;
    bool m_cueing = false;
    QPushButton* m_quickCount = nullptr;
    // A window of its own (its Image1 is not the panel's): deleted with the
    // column unless it went first.
    QPointer<mDisplay> m_window;
    QList<PlayoutPanel*> m_busy;
};

} // namespace hp::graphics
