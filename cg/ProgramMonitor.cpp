#include "ProgramMonitor.h"

#include <QPainter>
#include <QVariantAnimation>

namespace hp::cg {

ProgramMonitor::ProgramMonitor(const ServerState& state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_fade(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("ProgramMonitor"));
    setWindowTitle(QStringLiteral("homeplate-cg 播出畫面"));
    setMinimumSize(360, 243);
    resize(state.outputSize());
    m_fade->setDuration(250);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        for (auto it = m_opacity.begin(); it != m_opacity.end(); ++it)
            if (it.value() < 1.0)
                it.value() = v.toDouble();
        update();
    });
    connect(&state, &ServerState::programChanged, this, &ProgramMonitor::refresh);
}

void ProgramMonitor::refresh()
{
    QHash<int, double> opacity;
    m_rendered.clear();
    bool fading = false;
    const auto& project = m_state.project();
    for (auto it = m_state.layers().cbegin(); it != m_state.layers().cend(); ++it) {
        const Page* page = project ? project->page(it.value().page) : nullptr;
        if (!page)
            continue;
        m_rendered.insert(it.key(), renderPage(*project, *page, it.value().values));
        const bool wasOn = m_opacity.value(it.key(), 0.0) >= 1.0;
        const bool fade = it.value().fade && !wasOn;
        opacity.insert(it.key(), fade ? 0.0 : 1.0);
        fading = fading || fade;
    }
    m_opacity = opacity;
    if (fading)
        m_fade->start();
    update();
}

QImage ProgramMonitor::grabProgram() const
{
    QImage out(m_state.outputSize(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    if (m_state.colourBarsOn())
        p.drawImage(0, 0, colourBars(out.size()));
    for (auto it = m_rendered.cbegin(); it != m_rendered.cend(); ++it) {
        p.setOpacity(m_opacity.value(it.key(), 1.0));
        p.drawImage(QRect(QPoint(0, 0), out.size()), it.value());
    }
    return out;
}

void ProgramMonitor::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QImage program = grabProgram();
    const QSize fitted = program.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                       fitted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, program);
    // A quiet mark, so that an empty program is still seen to be a monitor.
    p.setPen(QColor(255, 255, 255, 90));
    p.drawText(target.adjusted(8, 6, -8, -6), Qt::AlignTop | Qt::AlignRight, QStringLiteral("PGM"));
}

} // namespace hp::cg
