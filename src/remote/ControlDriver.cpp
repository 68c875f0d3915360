#include "ControlDriver.h"

#include "Result.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>

namespace hp::remote {

namespace {

// The program never hides a window except by closing it: a window that was
// shown and is hidden now is closed (its deletion may still be pending).
bool isClosed(const QWidget* w)
{
    return w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

QString colorName(const QColor& c)
{
    return c.name(QColor::HexRgb);
}

QJsonArray listItems(const QListWidget* list)
{
    QJsonArray items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

QJsonArray comboItems(const QComboBox* combo)
{
    QJsonArray items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

QJsonValue imageOf(const QObject* o)
{
    const QVariant size = o->property("imageSize");
    if (size.isValid()) {
        const QSize s = size.toSize();
        if (s.isEmpty())
            return QJsonValue::Null;
        return QJsonObject{{QStringLiteral("w"), s.width()}, {QStringLiteral("h"), s.height()}};
    }
    if (const auto* label = qobject_cast<const QLabel*>(o)) {
        const QPixmap pix = label->pixmap();
        if (!pix.isNull())
            return QJsonObject{{QStringLiteral("w"), pix.width()},
                               {QStringLiteral("h"), pix.height()}};
    }
    return QJsonValue::Null;
}

std::optional<int> keyCode(const QString& name)
{
    static const QHash<QString, int> keys{{QStringLiteral("Enter"), Qt::Key_Return},
                                          {QStringLiteral("Return"), Qt::Key_Return},
                                          {QStringLiteral("Escape"), Qt::Key_Escape},
                                          {QStringLiteral("Tab"), Qt::Key_Tab},
                                          {QStringLiteral("Up"), Qt::Key_Up},
                                          {QStringLiteral("Down"), Qt::Key_Down},
                                          {QStringLiteral("Left"), Qt::Key_Left},
                                          {QStringLiteral("Right"), Qt::Key_Right},
                                          {QStringLiteral("Delete"), Qt::Key_Delete},
                                          {QStringLiteral("Backspace"), Qt::Key_Backspace},
                                          {QStringLiteral("Space"), Qt::Key_Space}};
    if (keys.contains(name))
        return keys.value(name);
    // A letter or a digit.
    if (name.size() == 1 && name[0].isLetterOrNumber() && name[0].unicode() < 0x80)
        return int(name[0].toUpper().unicode());
    if (name.size() >= 2 && name.size() <= 3 && name.startsWith(u'F')) {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 12)
            return Qt::Key_F1 + n - 1;
    }
    return std::nullopt;
}

// The modifiers of a request: none, or a list of "ctrl", "shift" and "alt" in
// any case. Anything else is refused, so that a request is never carried out
// as though it had no modifier (a strike taken back would be a strike added).
Result<Qt::KeyboardModifiers> modifiersOf(const QJsonObject& request)
{
    using R = Result<Qt::KeyboardModifiers>;
    static const QHash<QString, Qt::KeyboardModifier> known{
        {QStringLiteral("ctrl"), Qt::ControlModifier},
        {QStringLiteral("shift"), Qt::ShiftModifier},
        {QStringLiteral("alt"), Qt::AltModifier}};
    const QJsonValue given = request.value(QStringLiteral("mods"));
    if (given.isUndefined() || given.isNull())
        return Qt::KeyboardModifiers();
    const QString expected = QStringLiteral("mods must be a list of \"ctrl\", \"shift\", \"alt\"");
    if (!given.isArray())
        return R::failure(expected);
    Qt::KeyboardModifiers mods;
    for (const QJsonValue& v : given.toArray()) {
        const auto found = known.constFind(v.toString().toLower());
        if (!v.isString() || found == known.constEnd())
            return R::failure(expected);
        mods |= *found;
    }
    return mods;
}

// Where a mouse event for the control lands: for a list, the current item.
std::pair<QWidget*, QPoint> mouseTarget(QWidget* w)
{
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        QWidget* vp = list->viewport();
        if (QListWidgetItem* item = list->currentItem()) {
            list->scrollToItem(item);
            return {vp, list->visualItemRect(item).center()};
        }
        return {vp, vp->rect().center()};
    }
    return {w, w->rect().center()};
}

void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    auto [target, pos] = mouseTarget(w);
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, local, local, global, button, buttons, mods);
    QCoreApplication::sendEvent(target, &event);
}

QString selectIndex(QObject* control, int index)
{
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        if (index < 0 || index >= list->count())
            return QStringLiteral("index out of range");
        list->setCurrentRow(index);
        emit list->itemClicked(list->item(index));
        return {};
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (index < 0 || index >= combo->count())
            return QStringLiteral("index out of range");
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return {};
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
        if (index < 0 || index >= tabs->count())
            return QStringLiteral("index out of range");
        tabs->setCurrentIndex(index);
        return {};
    }
    return QStringLiteral("control has no items to select");
}

// Why the operator could do nothing in the window, or an empty text.
QString refusal(const QWidget* window)
{
    if (!window->isVisible())
        return QStringLiteral("window is hidden");
    if (!window->isEnabled())
        return QStringLiteral("window is disabled");
    return {};
}

// A menu command runs only when the operator could choose it.
QString trigger(QAction* action)
{
    if (!action->isEnabled() || !action->isVisible())
        return QStringLiteral("menu command is disabled: ") + action->objectName();
    action->trigger();
    return {};
}

} // namespace

QJsonArray ControlDriver::windows() const
{
    QJsonArray out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName().isEmpty() || !qobject_cast<QMainWindow*>(w) || isClosed(w))
            continue;
        out.append(QJsonObject{{QStringLiteral("name"), w->objectName()},
                               {QStringLiteral("caption"), w->windowTitle()},
                               {QStringLiteral("visible"), w->isVisible()}});
    }
    return out;
}

QWidget* ControlDriver::findWindow(const QString& name) const
{
    QWidget* hidden = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() != name || isClosed(w))
            continue;
        if (w->isVisible())
            return w;
        hidden = hidden ? hidden : w;
    }
    return hidden;
}

QObject* ControlDriver::findControl(QWidget* window, const QString& name) const
{
    // An empty name would match the first unnamed child there is.
    if (!window || name.isEmpty())
        return nullptr;
    if (window->objectName() == name)
        return window;
    return window->findChild<QObject*>(name);
}

QJsonObject ControlDriver::state(const QObject* o)
{
    QJsonObject s;
    s.insert(QStringLiteral("name"), o->objectName());
    QString type = QStringLiteral("other");
    QString text;
    bool enabled = true;
    bool visible = true;
    QJsonValue checked = QJsonValue::Null;

    if (const auto* a = qobject_cast<const QAction*>(o)) {
        type = QStringLiteral("menu");
        text = a->text();
        enabled = a->isEnabled();
        visible = a->isVisible();
        if (a->isCheckable())
            checked = a->isChecked();
    } else if (const auto* m = qobject_cast<const QMenu*>(o)) {
        type = QStringLiteral("menu");
        text = m->title();
        enabled = m->isEnabled();
    } else if (const auto* w = qobject_cast<const QWidget*>(o)) {
        enabled = w->isEnabled();
        visible = w->isVisible();
        s.insert(QStringLiteral("tooltip"), w->toolTip());
        s.insert(QStringLiteral("fg"), colorName(w->palette().color(w->foregroundRole())));
        s.insert(QStringLiteral("bg"), colorName(w->palette().color(w->backgroundRole())));
        if (const auto* c = qobject_cast<const QCheckBox*>(w)) {
            type = QStringLiteral("check");
            text = c->text();
            // As the check action takes it: 1 ticked, 2 greyed.
            checked = c->checkState() == Qt::Checked            ? 1
                      : c->checkState() == Qt::PartiallyChecked ? 2
                                                                : 0;
        } else if (const auto* r = qobject_cast<const QRadioButton*>(w)) {
            type = QStringLiteral("option");
            text = r->text();
            checked = r->isChecked();
        } else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
            type = QStringLiteral("button");
            text = b->text();
        } else if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
            type = QStringLiteral("text");
            text = e->text();
        } else if (const auto* te = qobject_cast<const QTextEdit*>(w)) {
            type = QStringLiteral("text");
            text = te->toPlainText();
        } else if (const auto* pe = qobject_cast<const QPlainTextEdit*>(w)) {
            type = QStringLiteral("text");
            text = pe->toPlainText();
        } else if (const auto* cb = qobject_cast<const QComboBox*>(w)) {
            type = QStringLiteral("combo");
            text = cb->currentText();
            s.insert(QStringLiteral("items"), comboItems(cb));
            s.insert(QStringLiteral("current"), cb->currentIndex());
        } else if (const auto* l = qobject_cast<const QListWidget*>(w)) {
            type = QStringLiteral("list");
            text = l->currentItem() ? l->currentItem()->text() : QString();
            s.insert(QStringLiteral("items"), listItems(l));
            s.insert(QStringLiteral("current"), l->currentRow());
        } else if (const auto* t = qobject_cast<const QTabWidget*>(w)) {
            type = QStringLiteral("tab");
            QJsonArray tabs;
            for (int i = 0; i < t->count(); ++i)
                tabs.append(t->tabText(i));
            s.insert(QStringLiteral("items"), tabs);
            s.insert(QStringLiteral("current"), t->currentIndex());
            text = t->tabText(t->currentIndex());
        } else if (const auto* sb = qobject_cast<const QStatusBar*>(w)) {
            type = QStringLiteral("statusbar");
            QJsonArray panels;
            for (const QLabel* p : sb->findChildren<const QLabel*>(Qt::FindDirectChildrenOnly))
                panels.append(p->text());
            s.insert(QStringLiteral("panels"), panels);
        } else if (const auto* lab = qobject_cast<const QLabel*>(w)) {
            const bool image = w->property("imageSize").isValid() || !lab->pixmap().isNull();
            type = image ? QStringLiteral("image") : QStringLiteral("label");
            text = lab->text();
        } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
            type = QStringLiteral("frame");
            text = g->title();
        } else if (w->isWindow()) {
            type = QStringLiteral("window");
            text = w->windowTitle();
        } else if (w->property("imageSize").isValid()) {
            type = QStringLiteral("image");
        } else if (qobject_cast<const QFrame*>(w)) {
            type = QStringLiteral("frame");
        }
    }
    s.insert(QStringLiteral("type"), type);
    s.insert(QStringLiteral("text"), text);
    s.insert(QStringLiteral("enabled"), enabled);
    s.insert(QStringLiteral("visible"), visible);
    s.insert(QStringLiteral("checked"), checked);
    s.insert(QStringLiteral("image"), imageOf(o));
    return s;
}

QJsonObject ControlDriver::dump(QWidget* window) const
{
    QJsonObject out;
    out.insert(window->objectName(), state(window));
    for (const QObject* child : window->findChildren<QObject*>()) {
        const QString name = child->objectName();
        if (name.isEmpty() || name.startsWith(QStringLiteral("qt_")) || out.contains(name))
            continue;
        if (!child->isWidgetType() && !qobject_cast<const QAction*>(child))
            continue;
        out.insert(name, state(child));
    }
    return out;
}

QString ControlDriver::triggerMenu(QWidget* window, const QString& name) const
{
    auto* action = window && !name.isEmpty() ? window->findChild<QAction*>(name) : nullptr;
    if (!action)
        return QStringLiteral("no menu command ") + name;
    if (const QString refused = refusal(window); !refused.isEmpty())
        return refused;
    return trigger(action);
}

QString ControlDriver::act(QWidget* window, QObject* control, const QString& action,
                           const QJsonObject& request) const
{
    if (const QString refused = refusal(window); !refused.isEmpty())
        return refused;
    if (auto* a = qobject_cast<QAction*>(control)) {
        if (action != QStringLiteral("click"))
            return QStringLiteral("a menu command can only be clicked");
        return trigger(a);
    }
    auto* w = qobject_cast<QWidget*>(control);
    if (!w)
        return QStringLiteral("not a control");
    if (!w->isVisible())
        return QStringLiteral("control is hidden");
    if (!w->isEnabled())
        return QStringLiteral("control is disabled");

    const auto modifiers = modifiersOf(request);
    if (!modifiers)
        return modifiers.error();
    const Qt::KeyboardModifiers mods = *modifiers;
    if (action == QStringLiteral("click")) {
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            b->click();
            return {};
        }
        sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, mods);
        sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, mods);
        return {};
    }
    if (action == QStringLiteral("dblclick")) {
        if (auto* list = qobject_cast<QListWidget*>(w)) {
            if (request.contains(QStringLiteral("index"))) {
                const int i = request.value(QStringLiteral("index")).toInt(-1);
                if (i < 0 || i >= list->count())
                    return QStringLiteral("index out of range");
                list->setCurrentRow(i);
            }
            if (QListWidgetItem* item = list->currentItem())
                emit list->itemDoubleClicked(item);
            return {};
        }
        sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, mods);
        sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, mods);
        sendMouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton, mods);
        sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, mods);
        return {};
    }
    if (action == QStringLiteral("press")) {
        const bool right =
            request.value(QStringLiteral("button")).toString() == QStringLiteral("right");
        const Qt::MouseButton button = right ? Qt::RightButton : Qt::LeftButton;
        sendMouse(w, QEvent::MouseButtonPress, button, mods);
        sendMouse(w, QEvent::MouseButtonRelease, button, mods);
        return {};
    }
    if (action == QStringLiteral("type")) {
        const QString text = request.value(QStringLiteral("text")).toString();
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->isReadOnly())
                return QStringLiteral("control is read-only");
            e->setText(text);
            emit e->textEdited(text);
            return {};
        }
        if (auto* cb = qobject_cast<QComboBox*>(w); cb && cb->isEditable()) {
            cb->setEditText(text);
            return {};
        }
        if (auto* te = qobject_cast<QTextEdit*>(w)) {
            te->setPlainText(text);
            return {};
        }
        return QStringLiteral("control takes no text");
    }
    if (action == QStringLiteral("key")) {
        const auto key = keyCode(request.value(QStringLiteral("key")).toString());
        if (!key)
            return QStringLiteral("unknown key");
        // A letter or digit without Ctrl or Alt types its character, as a keyboard does.
        QString text;
        if (*key >= Qt::Key_0 && *key <= Qt::Key_Z &&
            !(mods & (Qt::ControlModifier | Qt::AltModifier)))
            text = mods & Qt::ShiftModifier ? QString(QChar(*key)) : QString(QChar(*key)).toLower();
        QKeyEvent press(QEvent::KeyPress, *key, mods, text);
        QCoreApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, *key, mods, text);
        QCoreApplication::sendEvent(w, &release);
        return {};
    }
    if (action == QStringLiteral("select"))
        return selectIndex(w, request.value(QStringLiteral("index")).toInt(-1));
    if (action == QStringLiteral("check")) {
        const int value = request.value(QStringLiteral("value")).toInt(-1);
        if (auto* c = qobject_cast<QCheckBox*>(w)) {
            if (value < 0 || value > 2)
                return QStringLiteral("check value must be 0, 1 or 2");
            // 1 is ticked (Qt::Checked, whose value is 2), 2 greyed.
            const Qt::CheckState wanted = value == 2   ? Qt::PartiallyChecked
                                          : value == 1 ? Qt::Checked
                                                       : Qt::Unchecked;
            if (c->checkState() == wanted)
                return {};
            // Between ticked and empty as the operator's click does it.
            if (wanted != Qt::PartiallyChecked && c->checkState() != Qt::PartiallyChecked)
                c->click();
            else
                c->setCheckState(wanted);
            return {};
        }
        if (auto* r = qobject_cast<QRadioButton*>(w)) {
            if (value == 1 && !r->isChecked())
                r->click();
            return {};
        }
        return QStringLiteral("control cannot be checked");
    }
    if (action == QStringLiteral("focus")) {
        w->setFocus(Qt::OtherFocusReason);
        if (!w->hasFocus()) {
            QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(w, &in);
        }
        return {};
    }
    if (action == QStringLiteral("blur")) {
        const bool had = w->hasFocus();
        w->clearFocus();
        if (!had) {
            QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(w, &out);
        }
        return {};
    }
    return QStringLiteral("unknown action ") + action;
}

} // namespace hp::remote
