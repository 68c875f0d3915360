#include "ProgramMonitor.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace hp::cg {

ProgramMonitor::ProgramMonitor(const ServerState& state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_fade(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("ProgramMonitor"));
    setWindowTitle(QStringLiteral("homeplate-cg 播出畫面"));
    setMinimumSize(320, 180);
    setFocusPolicy(Qt::StrongFocus);
    // An HD raster opens at half size; the window scales it to any size.
    const QSize raster = rasterSize();
    const int h = raster.height() > 540 ? raster.height() / 2 : raster.height();
    resize(int(std::lround(h * displayAspect(raster))), h);
    m_fade->setDuration(250);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        for (auto it = m_opacity.begin(); it != m_opacity.end(); ++it)
            if (it.value() < 1.0)
                it.value() = v.toDouble();
        update();
    });
    // The program is composited once control is back in the loop: the reply
    // to the command that changed it goes first.
    connect(&state, &ServerState::programChanged, this, [this] {
        if (m_stale)
            return;
        m_stale = true;
        QMetaObject::invokeMethod(this, &ProgramMonitor::refresh, Qt::QueuedConnection);
    });
}

QSize ProgramMonitor::rasterSize() const
{
    return m_state.outputSize();
}

void ProgramMonitor::refresh()
{
    m_stale = false;
    QHash<int, double> opacity;
    m_rendered.clear();
    m_shown.clear();
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

QImage ProgramMonitor::grabProgram()
{
    if (m_stale)
        refresh();
    QImage out(rasterSize(), QImage::Format_RGB32);
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

QRect ProgramMonitor::pictureRect() const
{
    const double aspect = displayAspect(rasterSize());
    int w = width();
    int h = int(std::lround(w / aspect));
    if (h > height()) {
        h = height();
        w = int(std::lround(h * aspect));
    }
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

void ProgramMonitor::setSafeAreasShown(bool on)
{
    m_safeAreas = on;
    update();
}

void ProgramMonitor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_S) {
        setSafeAreasShown(!m_safeAreas);
        return;
    }
    QWidget::keyPressEvent(event);
}

void ProgramMonitor::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* safe = menu.addAction(QStringLiteral("安全框 (S)"));
    safe->setCheckable(true);
    safe->setChecked(m_safeAreas);
    connect(safe, &QAction::toggled, this, &ProgramMonitor::setSafeAreasShown);
    menu.exec(event->globalPos());
}

void ProgramMonitor::paintEvent(QPaintEvent*)
{
    if (m_stale)
        refresh();
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QRect target = pictureRect();
    if (target.isEmpty())
        return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_state.colourBarsOn())
        p.drawImage(target, colourBars(target.size()));
    // Each page is drawn afresh at the picture's size, so that text stays
    // sharp however large the window, and only when the program or the
    // window's size changes.
    const auto& project = m_state.project();
    for (auto it = m_state.layers().cbegin(); it != m_state.layers().cend(); ++it) {
        const Page* page = project ? project->page(it.value().page) : nullptr;
        if (!page || !m_rendered.contains(it.key()))
            continue;
        QImage& shown = m_shown[it.key()];
        if (shown.size() != target.size())
            shown = renderPageScaled(*project, *page, it.value().values, target.size());
        p.setOpacity(m_opacity.value(it.key(), 1.0));
        p.drawImage(target.topLeft(), shown);
    }
    p.setOpacity(1.0);
    if (m_safeAreas) {
        const QSize raster = rasterSize();
        const double sx = double(target.width()) / raster.width();
        const double sy = double(target.height()) / raster.height();
        for (const auto& [fraction, colour] :
             {std::pair{0.9, QColor(255, 255, 255, 150)}, {0.8, QColor(255, 214, 64, 170)}}) {
            const QRectF area = safeArea(raster, fraction);
            p.setPen(QPen(colour, 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(target.x() + area.x() * sx, target.y() + area.y() * sy,
                              area.width() * sx, area.height() * sy)
                           .adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }
    // A quiet mark, so that an empty program is still seen to be a monitor.
    p.setPen(QColor(255, 255, 255, 90));
    p.drawText(target.adjusted(8, 6, -8, -6), Qt::AlignTop | Qt::AlignRight, QStringLiteral("PGM"));
}

} // namespace hp::cg
