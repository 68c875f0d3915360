#pragma once

#include <QList>
#include <QPalette>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace hp::console {

// What the console's panels show — texts, captions, ticks, list items,
// colours, tool-tips and which controls are open — taken before an action and
// put back when the action could not be stored, so that the screen shows what
// the tables still hold. Putting back runs no handler: no change is stored
// and no graphic is called up.
class ScreenSnapshot {
public:
    explicit ScreenSnapshot(const QList<QWidget*>& roots);

    // A value held beside the controls (a panel's member, the game state),
    // put back with them.
    template <typename T> void keep(T& value)
    {
        m_values << [&value, saved = value] { value = saved; };
    }

    void restore() const;

private:
    struct Shown {
        QPointer<QWidget> widget;
        QString text;
        QString toolTip;
        bool disabled = false;
        bool ownPalette = false;
        QPalette palette;
        int checked = 0;
        QStringList items;
    };
    static Shown take(QWidget* widget);
    static void put(const Shown& shown);

    QList<Shown> m_shown;
    QList<std::function<void()>> m_values;
};

} // namespace hp::console
