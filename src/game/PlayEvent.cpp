#include "PlayEvent.h"

namespace hp::game {

bool sameBatter(const PlayState& a, const PlayState& b)
{
    return a.half == b.half && a.slot == b.slot && a.batterNumber == b.batterNumber &&
           a.batterName == b.batterName;
}

bool samePitcher(const PlayState& a, const PlayState& b)
{
    return a.half == b.half && a.pitcherNumber == b.pitcherNumber && a.pitcherName == b.pitcherName;
}

namespace {

QString player(const QString& number, const QString& name)
{
    return number.isEmpty() ? name : number + u':' + name;
}

bool blank(const QString& box)
{
    return box.trimmed().isEmpty();
}

PlayEvent event(const PlayState& state, const QString& kind, const QString& detail = {},
                const QString& before = {}, const QString& after = {})
{
    PlayEvent e;
    e.state = state;
    e.kind = kind;
    e.detail = detail;
    e.before = before;
    e.after = after;
    return e;
}

// One row per counter that moved between the two states.
void counterEdits(QList<PlayEvent>& out, const PlayState& at,
                  const QList<std::pair<QString, QString>>& was,
                  const QList<std::pair<QString, QString>>& now)
{
    for (qsizetype i = 0; i < qMin(was.size(), now.size()); ++i)
        if (was[i].first == now[i].first && was[i].second != now[i].second)
            out << event(at, play::kHandEdit, now[i].first, was[i].second, now[i].second);
}

void handEdits(QList<PlayEvent>& out, const PlayState& was, const PlayState& now,
               const PlayState& at)
{
    if (sameBatter(was, now))
        counterEdits(out, at, was.batterCounters, now.batterCounters);
    if (samePitcher(was, now))
        counterEdits(out, at, was.pitcherCounters, now.pitcherCounters);
}

QString counter(const QList<std::pair<QString, QString>>& counters, const QString& caption)
{
    for (const auto& [name, value] : counters)
        if (name == caption)
            return value;
    return {};
}

std::optional<PlayEvent> countEvent(const PlayState& start, const PlayState& end)
{
    const std::array<std::pair<int, int>, 3> moved{
        {{start.strikes, end.strikes}, {start.balls, end.balls}, {start.outs, end.outs}}};
    const QString labels[] = {play::kStrike, play::kBall, play::kOut};
    for (int i = 0; i < 3; ++i)
        if (moved[i].second < moved[i].first)
            return event(end, play::kTakenBack, labels[i], QString::number(moved[i].first),
                         QString::number(moved[i].second));
    for (int i = 0; i < 3; ++i)
        if (moved[i].second > moved[i].first)
            return event(end, labels[i]);
    // Two strikes: a strike more on the pitcher's line is a foul.
    const QString strikes = play::kStrike;
    if (counter(start.pitcherCounters, strikes) != counter(end.pitcherCounters, strikes) &&
        sameBatter(start, end) && samePitcher(start, end))
        return event(end, play::kFoul);
    return std::nullopt;
}

std::optional<PlayEvent> lineScoreEvent(const PlayState& was, const PlayState& now)
{
    static const QStringList totals{QStringLiteral("R"), QStringLiteral("H"), QStringLiteral("E")};
    QStringList fields, before, after;
    for (int team = 0; team < 2; ++team)
        for (int i = 0; i < 15; ++i) {
            const QString& a = was.lineScore[team][i];
            const QString& b = now.lineScore[team][i];
            if (a == b)
                continue;
            fields << (team == 0 ? QStringLiteral("先攻 ") : QStringLiteral("後攻 ")) +
                          (i < 12 ? QString::number(i + 1) + u'局' : totals[i - 12]);
            before << (blank(a) ? QStringLiteral("-") : a);
            after << (blank(b) ? QStringLiteral("-") : b);
        }
    if (fields.isEmpty())
        return std::nullopt;
    const QString sep = QStringLiteral("、");
    return event(now, play::kScore, fields.join(sep), before.join(sep), after.join(sep));
}

std::optional<PlayEvent> mainEvent(const PlayState& logged, const PlayState& start,
                                   const PlayState& end)
{
    if (start.round != end.round || start.half != end.half)
        return event(end, play::kHalfInning, {}, halfInningText(start.round, start.half),
                     halfInningText(end.round, end.half));
    if (!samePitcher(start, end))
        return event(end, play::kPitcherChange, {}, player(start.pitcherNumber, start.pitcherName),
                     player(end.pitcherNumber, end.pitcherName));
    if (start.slot != end.slot)
        return event(end, play::kNextBatter, {}, QString::number(start.slot),
                     QString::number(end.slot));
    if (!sameBatter(start, end))
        return event(end, play::kSubstitution, {}, player(start.batterNumber, start.batterName),
                     player(end.batterNumber, end.batterName));
    for (int i = 0; i < 8; ++i)
        if (blank(start.boxes[i]) && !blank(end.boxes[i])) {
            PlayEvent e = event(end, play::kOutcome, end.boxes[i].trimmed(),
                                countText(start.balls, start.strikes));
            e.box = i + 1;
            return e;
        }
    for (int i = 0; i < 8; ++i)
        if (!blank(start.boxes[i]) && blank(end.boxes[i])) {
            PlayEvent e = event(end, play::kUndo, start.boxes[i].trimmed());
            e.box = i + 1;
            return e;
        }
    if (auto e = countEvent(start, end))
        return e;
    if (logged.bases != end.bases)
        return event(end, play::kRunners, {}, runnersText(logged.bases), runnersText(end.bases));
    return lineScoreEvent(logged, end);
}

} // namespace

QList<PlayEvent> describeAction(const PlayState& logged, const PlayState& start,
                                const PlayState& end)
{
    QList<PlayEvent> out;
    handEdits(out, logged, start, start);
    if (auto e = mainEvent(logged, start, end))
        out << *e;
    else
        handEdits(out, start, end, end);
    return out;
}

namespace {

bool wholeCount(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

void refuseTyped(QList<FigureRefusal>& out, bool pitcher,
                 const QList<std::pair<QString, QString>>& stored,
                 const QList<std::pair<QString, QString>>& now, const QString& part,
                 const QString& whole)
{
    QStringList changed;
    for (qsizetype i = 0; i < qMin(stored.size(), now.size()); ++i) {
        if (now[i].second == stored[i].second)
            continue;
        changed << now[i].first;
        if (!wholeCount(now[i].second))
            out << FigureRefusal{pitcher, now[i].first,
                                 QStringLiteral("「%1」必須是0以上的整數").arg(now[i].first)};
    }
    if (!changed.contains(part) && !changed.contains(whole))
        return;
    const QString p = counter(now, part);
    const QString w = counter(now, whole);
    if (wholeCount(p) && wholeCount(w) && p.toLongLong() > w.toLongLong()) {
        const QString why = QStringLiteral("「%1」不能大於「%2」").arg(part, whole);
        for (const QString& caption : {part, whole})
            if (changed.contains(caption))
                out << FigureRefusal{pitcher, caption, why};
    }
}

} // namespace

QList<FigureRefusal> typedFigureRefusals(const PlayState& stored, const PlayState& now)
{
    QList<FigureRefusal> out;
    if (sameBatter(stored, now))
        refuseTyped(out, false, stored.batterCounters, now.batterCounters, QStringLiteral("安打"),
                    QStringLiteral("打數"));
    if (samePitcher(stored, now))
        refuseTyped(out, true, stored.pitcherCounters, now.pitcherCounters,
                    QStringLiteral("自責分"), QStringLiteral("失分"));
    return out;
}

QString countText(int balls, int strikes)
{
    return QString::number(balls) + u'-' + QString::number(strikes);
}

QString runnersText(const std::array<bool, 3>& bases)
{
    static const QString names[] = {QStringLiteral("一"), QStringLiteral("二"),
                                    QStringLiteral("三")};
    QStringList on;
    for (int i = 0; i < 3; ++i)
        if (bases[i])
            on << names[i];
    if (on.isEmpty())
        return QStringLiteral("壘上無人");
    if (on.size() == 3)
        return QStringLiteral("滿壘");
    return on.join(QStringLiteral("、")) + QStringLiteral("壘有人");
}

QString basesCode(const std::array<bool, 3>& bases)
{
    QString out;
    for (int i = 0; i < 3; ++i)
        if (bases[i])
            out += QChar(u'1' + i);
    return out;
}

std::array<bool, 3> basesFromCode(const QString& code)
{
    std::array<bool, 3> out{};
    for (int i = 0; i < 3; ++i)
        out[i] = code.contains(QChar(u'1' + i));
    return out;
}

QString halfInningText(int round, bool half)
{
    return QString::number(round) + u'局' + (half ? u'下' : u'上');
}

QString historyText(const PlayEvent& e)
{
    const PlayState& s = e.state;
    const QString inning = halfInningText(s.round, s.half);
    const QString arrow = QStringLiteral("→");
    if (e.kind == play::kHalfInning || e.kind == play::kGameEnd)
        return inning + u' ' + e.kind;
    QString what;
    if (e.kind == play::kOutcome)
        what = e.detail;
    else if (e.kind == play::kUndo || e.kind == play::kTakenBack)
        what = e.kind + e.detail;
    else if (e.kind == play::kRunners || e.kind == play::kSubstitution ||
             e.kind == play::kPitcherChange)
        what = e.kind + u' ' + e.before + arrow + e.after;
    else if (e.kind == play::kScore || e.kind == play::kHandEdit)
        what = e.kind + u' ' + e.detail + u' ' + e.before + arrow + e.after;
    else
        what = e.kind;
    const QString count = e.kind == play::kOutcome ? e.before : countText(s.balls, s.strikes);
    return inning + u' ' + s.batterName + u' ' + what + QStringLiteral(" (") + count +
           QStringLiteral(") ") + QString::number(s.outs) + QStringLiteral("出局 ") +
           runnersText(s.bases);
}

QString playLogTable()
{
    return QStringLiteral("比賽紀錄");
}

QStringList playLogColumns()
{
    return {QStringLiteral("Seq"),      QStringLiteral("時間"),     QStringLiteral("局數"),
            QStringLiteral("半局"),     QStringLiteral("攻方"),     QStringLiteral("棒次"),
            QStringLiteral("打者背號"), QStringLiteral("打者"),     QStringLiteral("投手背號"),
            QStringLiteral("投手"),     QStringLiteral("種類"),     QStringLiteral("內容"),
            QStringLiteral("原值"),     QStringLiteral("新值"),     QStringLiteral("打席"),
            QStringLiteral("好球"),     QStringLiteral("壞球"),     QStringLiteral("出局"),
            QStringLiteral("壘上"),     QStringLiteral("先攻得分"), QStringLiteral("後攻得分")};
}

QVariantList playLogValues(const PlayEvent& e)
{
    const PlayState& s = e.state;
    auto n = [](int v) { return QString::number(v); };
    return {e.at.toString(Qt::ISODate),
            n(s.round),
            s.half ? QStringLiteral("下") : QStringLiteral("上"),
            s.battingTeam,
            n(s.slot),
            s.batterNumber,
            s.batterName,
            s.pitcherNumber,
            s.pitcherName,
            e.kind,
            e.detail,
            e.before,
            e.after,
            e.box > 0 ? n(e.box) : QString(),
            n(s.strikes),
            n(s.balls),
            n(s.outs),
            basesCode(s.bases),
            s.runs(1),
            s.runs(2)};
}

PlayEvent playEventFromRow(const std::function<QString(const QString&)>& value)
{
    const QStringList c = playLogColumns();
    auto number = [&](int i) { return value(c[i]).toInt(); };
    PlayEvent e;
    e.seq = value(c[0]).toLongLong();
    e.at = QDateTime::fromString(value(c[1]), Qt::ISODate);
    PlayState& s = e.state;
    s.round = number(2);
    s.half = value(c[3]) == QStringLiteral("下");
    s.battingTeam = value(c[4]);
    s.slot = number(5);
    s.batterNumber = value(c[6]);
    s.batterName = value(c[7]);
    s.pitcherNumber = value(c[8]);
    s.pitcherName = value(c[9]);
    e.kind = value(c[10]);
    e.detail = value(c[11]);
    e.before = value(c[12]);
    e.after = value(c[13]);
    e.box = number(14);
    s.strikes = number(15);
    s.balls = number(16);
    s.outs = number(17);
    s.bases = basesFromCode(value(c[18]));
    s.lineScore[0][12] = value(c[19]);
    s.lineScore[1][12] = value(c[20]);
    return e;
}

} // namespace hp::game
