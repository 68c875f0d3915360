#pragma once

#include "ServerState.h"

#include <QHash>
#include <QMap>
#include <QWidget>

class QVariantAnimation;

namespace hp::cg {

// The on-air output: every layer composited in layer order, a page that was
// played normally fading in.
class ProgramMonitor : public QWidget {
    Q_OBJECT
public:
    ProgramMonitor(const ServerState& state, QWidget* parent = nullptr);

    // The program output as it stands.
    QImage grabProgram() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    const ServerState& m_state;
    QMap<int, QImage> m_rendered;
    QHash<int, double> m_opacity;
    QVariantAnimation* m_fade;
};

} // namespace hp::cg
