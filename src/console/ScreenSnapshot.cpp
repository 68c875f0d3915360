#include "ScreenSnapshot.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace hp::console {

ScreenSnapshot::ScreenSnapshot(const QList<QWidget*>& roots)
{
    for (QWidget* root : roots) {
        m_shown << take(root);
        for (QWidget* child : root->findChildren<QWidget*>())
            m_shown << take(child);
    }
}

ScreenSnapshot::Shown ScreenSnapshot::take(QWidget* w)
{
    Shown s;
    s.widget = w;
    s.toolTip = w->toolTip();
    s.disabled = w->testAttribute(Qt::WA_ForceDisabled);
    s.ownPalette = w->testAttribute(Qt::WA_SetPalette);
    s.palette = w->palette();
    if (auto* label = qobject_cast<QLabel*>(w))
        s.text = label->text();
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        s.text = edit->text();
    else if (auto* frame = qobject_cast<QGroupBox*>(w))
        s.text = frame->title();
    else if (auto* check = qobject_cast<QCheckBox*>(w))
        s.checked = check->checkState();
    else if (auto* list = qobject_cast<QListWidget*>(w))
        for (int i = 0; i < list->count(); ++i)
            s.items << list->item(i)->text();
    return s;
}

void ScreenSnapshot::put(const Shown& s)
{
    QWidget* w = s.widget;
    if (!w)
        return;
    const QSignalBlocker quiet(w);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(s.text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != s.text)
            edit->setText(s.text);
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        frame->setTitle(s.text);
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        check->setCheckState(Qt::CheckState(s.checked));
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        list->clear();
        list->addItems(s.items);
    }
    w->setToolTip(s.toolTip);
    w->setPalette(s.ownPalette ? s.palette : QPalette());
    w->setEnabled(!s.disabled);
}

void ScreenSnapshot::restore() const
{
    for (const Shown& s : m_shown)
        put(s);
    for (const auto& putBack : m_values)
        putBack();
}

} // namespace hp::console
