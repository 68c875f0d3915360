#include "KeyMap.h"

#include <QHash>

#include <QJsonArray>
#include <QListWidget>
#include <algorithm>

#include "OutcomeTabs.h"
#include "SettingsStore.h"

namespace hp::console {

namespace {

const QString kKeysSection = QStringLiteral("Keys");

KeyAction action(const QString& name, const QString& control, const QString& what,
                 const QString& key, QJsonObject extra = {})
{
    return {name, control,
            what, std::move(extra),
            -1,   QKeySequence::fromString(key, QKeySequence::PortableText)};
}

// F2 and Escape are the console's own, with any modifier.
bool reserved(const QKeySequence& key)
{
    return key[0].key() == Qt::Key_F2 || key[0].key() == Qt::Key_Escape;
}

} // namespace

QList<KeyAction> keyActions()
{
    const QJsonObject ctrl{{QStringLiteral("mods"), QJsonArray{QStringLiteral("ctrl")}}};
    const char* const counts[] = {"strike", "ball", "out"};
    QList<KeyAction> out;
    for (int i = 0; i < 3; ++i) {
        const QString label = QStringLiteral("SBO_Lab(%1)").arg(i + 1);
        const QString f = QStringLiteral("F%1").arg(5 + i);
        out << action(QString::fromLatin1(counts[i]), label, QStringLiteral("press"), f)
            << action(QString::fromLatin1(counts[i]) + QStringLiteral("Back"), label,
                      QStringLiteral("press"), QStringLiteral("Shift+") + f, ctrl);
    }
    for (int i = 1; i <= 3; ++i)
        out << action(QStringLiteral("base%1").arg(i), QStringLiteral("Base_Check(%1)").arg(i),
                      QStringLiteral("click"), QStringLiteral("Ctrl+%1").arg(i));
    out << action(QStringLiteral("nextBatter"), QStringLiteral("Command4"), QStringLiteral("click"),
                  QStringLiteral("F8"))
        << action(QStringLiteral("nextHalf"), QStringLiteral("Next_Command"),
                  QStringLiteral("click"), QStringLiteral("F9"))
        << action(QStringLiteral("quickCount"), QStringLiteral("SBO_Cmd"), QStringLiteral("click"),
                  QStringLiteral("F3"))
        << action(QStringLiteral("playB"), QStringLiteral("Command5"), QStringLiteral("click"),
                  QStringLiteral("F4"))
        << action(QStringLiteral("playA"), QStringLiteral("Command6"), QStringLiteral("click"),
                  QStringLiteral("F12"));
    for (int i = 0; i < 12; ++i)
        out << action(QStringLiteral("inGame%1").arg(i + 1), QStringLiteral("List3"),
                      QStringLiteral("select"), {}, {{QStringLiteral("index"), i}});
    for (int i = 0; i < 15; ++i)
        out << action(QStringLiteral("feature%1").arg(i + 1), QStringLiteral("List4"),
                      QStringLiteral("select"), {}, {{QStringLiteral("index"), i}});
    const OutcomeTabs::Group groups[] = {OutcomeTabs::Group::OnBase, OutcomeTabs::Group::Out};
    for (int tab = 0; tab < 2; ++tab) {
        const QStringList captions = OutcomeTabs::captions(groups[tab]);
        for (int i = 0; i < captions.size(); ++i) {
            KeyAction a = action(QStringLiteral("outcome.") + captions[i],
                                 QStringLiteral("Command%1(%2)").arg(tab + 1).arg(i),
                                 QStringLiteral("click"), {});
            a.tab = tab;
            out << a;
        }
    }
    return out;
}

QString keyHint(const KeyAction& a)
{
    const QString key = a.key.toString(QKeySequence::NativeText);
    if (a.action != QStringLiteral("press"))
        return QStringLiteral("按鍵 ") + key;
    // A press with Ctrl steps down, as Ctrl and the mouse do.
    return key + (a.extra.contains(QStringLiteral("mods")) ? QStringLiteral(" 減一")
                                                           : QStringLiteral(" 加一"));
}

const KeyAction* KeyMap::find(const QKeySequence& key) const
{
    for (const KeyAction& a : actions)
        if (!a.key.isEmpty() && a.key == key)
            return &a;
    return nullptr;
}

KeyMap readKeyMap(const app::SettingsStore& settings)
{
    KeyMap map;
    map.actions = keyActions();
    QList<bool> chosen(map.actions.size(), false); // set by the entry, not by default
    for (qsizetype i = 0; i < map.actions.size(); ++i) {
        KeyAction& a = map.actions[i];
        const QString text = settings.read(app::kAppName, kKeysSection, a.name).trimmed();
        if (text.isEmpty())
            continue;
        if (text.compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0) {
            a.key = QKeySequence();
            continue;
        }
        const QKeySequence key = QKeySequence::fromString(text, QKeySequence::PortableText);
        if (key.count() != 1 || key[0].key() == Qt::Key_unknown) {
            map.problems << a.name + QStringLiteral("=") + text + QStringLiteral(": 不是按鍵");
            continue;
        }
        if (reserved(key)) {
            map.problems << a.name + QStringLiteral("=") + text +
                                QStringLiteral(": F2 與 Esc 保留給清除與下片");
            continue;
        }
        a.key = key;
        chosen[i] = true;
    }
    // An entry that names no action (a misspelt name) would otherwise do
    // nothing without a word.
    for (const QString& entry : settings.keys(app::kAppName, kKeysSection))
        if (std::none_of(map.actions.cbegin(), map.actions.cend(), [&](const KeyAction& a) {
                return a.name.compare(entry, Qt::CaseInsensitive) == 0;
            }))
            map.problems << entry + QStringLiteral(": 沒有這個動作");
    // One action a key. An entry takes the key from an action that had it by
    // default; of two entries with one key the later loses it.
    auto take = [&](qsizetype loser, qsizetype winner) {
        map.problems << map.actions[loser].name + QStringLiteral("=") +
                            map.actions[loser].key.toString(QKeySequence::PortableText) +
                            QStringLiteral(": 已給 ") + map.actions[winner].name;
        map.actions[loser].key = QKeySequence();
    };
    for (qsizetype i = 0; i < map.actions.size(); ++i) {
        for (qsizetype j = 0; j < i && !map.actions[i].key.isEmpty(); ++j) {
            if (map.actions[j].key != map.actions[i].key)
                continue;
            if (chosen[i] && !chosen[j])
                take(j, i);
            else
                take(i, j);
        }
    }
    return map;
}

bool typesCharacter(const QKeySequence& key)
{
    if (key.isEmpty())
        return false;
    const QKeyCombination k = key[0];
    const Qt::KeyboardModifiers mods = k.keyboardModifiers() & ~Qt::KeypadModifier;
    return (mods == Qt::NoModifier || mods == Qt::ShiftModifier) && k.key() >= Qt::Key_Space &&
           k.key() <= Qt::Key_AsciiTilde;
}

void showKeys(QWidget& window, const KeyMap& keys)
{
    // Each control's tool-tip names its keys, on one line.
    QHash<QWidget*, QStringList> hints;
    for (const KeyAction& a : keys.actions) {
        if (a.key.isEmpty())
            continue;
        QWidget* w = window.findChild<QWidget*>(a.control);
        if (auto* list = qobject_cast<QListWidget*>(w)) {
            if (QListWidgetItem* item = list->item(a.extra.value(QStringLiteral("index")).toInt()))
                item->setToolTip(keyHint(a));
        } else if (w) {
            hints[w] << keyHint(a);
        }
    }
    for (auto it = hints.cbegin(); it != hints.cend(); ++it)
        it.key()->setToolTip(it.key()->toolTip() +
                             (it.key()->toolTip().isEmpty() ? QString() : QStringLiteral("\n")) +
                             it.value().join(QStringLiteral(" / ")));
}

} // namespace hp::console
