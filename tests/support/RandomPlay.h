#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <functional>

namespace hp::test {

// Drives a console with random operator actions that the console allows at
// the moment, over whatever carries remote-control requests.
struct RandomPlay {
    // Sends one act request to the console; `wait` false: does not wait for the answer.
    std::function<void(const QString& control, const QString& action, const QJsonObject& extra,
                       bool wait)>
        act;
    std::function<bool(const QString& control)> enabled;
    QRandomGenerator random;
    // With graphics: list items, play buttons and the quick count too.
    bool graphics = false;

    void step(bool wait = true)
    {
        const int pick = int(random.bounded(graphics ? 120 : 100));
        if (pick < 55) {
            QJsonObject extra;
            if (random.bounded(6) == 0)
                extra.insert(QStringLiteral("mods"), QJsonArray{QStringLiteral("ctrl")});
            act(QStringLiteral("SBO_Lab(%1)").arg(1 + random.bounded(3)), QStringLiteral("press"),
                extra, wait);
        } else if (pick < 65) {
            act(QStringLiteral("Base_Check(%1)").arg(1 + random.bounded(3)),
                QStringLiteral("check"), {{QStringLiteral("value"), int(random.bounded(2))}}, wait);
        } else if (pick < 85) {
            if (!enabled(QStringLiteral("SSTab3"))) {
                act(QStringLiteral("Command4"), QStringLiteral("click"), {}, wait);
                return;
            }
            // 一壘, 二壘 or 全壘 on the first tab, 刺殺 or 外飛 on the second.
            static const char* const buttons[] = {"Command1(2)", "Command1(3)", "Command1(5)",
                                                  "Command2(2)", "Command2(4)"};
            const int b = int(random.bounded(5));
            act(QStringLiteral("SSTab3"), QStringLiteral("select"),
                {{QStringLiteral("index"), b < 3 ? 0 : 1}}, true);
            act(QString::fromLatin1(buttons[b]), QStringLiteral("click"), {}, wait);
        } else if (pick < 95) {
            if (enabled(QStringLiteral("Next_Command")))
                act(QStringLiteral("Next_Command"), QStringLiteral("click"), {}, wait);
            else
                act(QStringLiteral("Command4"), QStringLiteral("click"), {}, wait);
        } else if (pick < 100) {
            act(QStringLiteral("Score1_txt(1)"), QStringLiteral("press"), {}, wait);
        } else if (pick < 110) {
            const bool inGame = random.bounded(2) == 0;
            act(inGame ? QStringLiteral("List3") : QStringLiteral("List4"),
                QStringLiteral("select"),
                {{QStringLiteral("index"), int(random.bounded(inGame ? 12 : 15))}}, wait);
        } else if (pick < 117) {
            const QString play =
                random.bounded(2) ? QStringLiteral("Command5") : QStringLiteral("Command6");
            if (enabled(play))
                act(play, QStringLiteral("click"), {}, wait);
        } else {
            act(QStringLiteral("SBO_Cmd"), QStringLiteral("click"), {}, wait);
        }
    }
};

} // namespace hp::test
