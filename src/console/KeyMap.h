#pragma once

#include <QJsonObject>
#include <QKeySequence>
#include <QList>
#include <QStringList>

class QWidget;

namespace hp::app {
class SettingsStore;
}

namespace hp::console {

// What a key does: the operator's own action on a control, carried out
// through the same handler as the click (a disabled control does nothing).
struct KeyAction {
    QString name;    // its entry in the settings section "Keys"
    QString control; // objectName
    QString action;  // as the remote control names it: press, click, select, check
    QJsonObject extra;
    int tab = -1; // an outcome button: the tab that shows it first
    QKeySequence key;
};

// Every action a key can be given, with its default key (none for the
// outcomes and the list items).
QList<KeyAction> keyActions();

// The actions with the keys of the settings section "Keys" (entry name = the
// action's name, value = a key such as "F5", "Shift+F5", "Ctrl+1", "Alt+K",
// or "none"). A bad entry keeps the default and is listed in `problems`.
struct KeyMap {
    QList<KeyAction> actions;
    QStringList problems;
    const KeyAction* find(const QKeySequence& key) const;
};
KeyMap readKeyMap(const app::SettingsStore& settings);

// What a control's tool-tip says of its key: "F5 加一" and "Shift+F5 減一"
// for the keys that step a count up and down, "按鍵 F8" for the others.
QString keyHint(const KeyAction& action);

// Whether a key would type a character into a text box (a plain letter,
// digit or sign, with or without Shift).
bool typesCharacter(const QKeySequence& key);

// Each control of the window that has keys names them in its tool-tip.
void showKeys(QWidget& window, const KeyMap& keys);

} // namespace hp::console
