#pragma once

#include "ServerState.h"

#include <QHash>
#include <QMap>
#include <QWidget>

class QVariantAnimation;

namespace hp::cg {

// The on-air output: every layer composited in layer order, a page that was
// played normally fading in. The picture keeps the raster's display aspect
// (a standard-definition raster shows 4:3) and is drawn at the window's
// size; the operator may lay the safe areas over it (S, or the context
// menu), on this window only, never on the program output or a preview.
class ProgramMonitor : public QWidget {
    Q_OBJECT
public:
    ProgramMonitor(const ServerState& state, QWidget* parent = nullptr);

    // The program output as it stands, at the raster's size.
    QImage grabProgram();
    // Where in the window the picture is shown.
    QRect pictureRect() const;
    bool safeAreasShown() const { return m_safeAreas; }
    void setSafeAreasShown(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void refresh();
    QSize rasterSize() const;

    const ServerState& m_state;
    QMap<int, QImage> m_rendered; // at the raster's size
    QMap<int, QImage> m_shown;    // at the picture's size in the window
    QHash<int, double> m_opacity;
    QVariantAnimation* m_fade;
    bool m_safeAreas = false;
    bool m_stale = false; // the program changed since it was composited
};

} // namespace hp::cg
