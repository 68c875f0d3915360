#include "BoxScore.h"

#include "CsvFile.h"
#include "Figures.h"
#include "GameLog.h"
#include "RegularFile.h"
#include "Statistics.h"

#include <QDir>
#include <QIODevice>

namespace hp::report {

namespace {

const QString kBattingColumns = QStringLiteral("棒次,背號,姓名,守位,打數,安打,全壘打,打點,打擊率,"
                                               "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\"");
const QString kPitchingColumns =
    QStringLiteral("背號,姓名,局數,好球,壞球,被安打,被全壘打,奪三振,四死球,失分,自責分");
// 棒次 is text: "10" must not sort before "2".
const QString kSlotOrder = QStringLiteral("LENGTH(棒次),棒次");

BattingLine battingLine(const db::Row& r, bool left)
{
    BattingLine b;
    b.slot = r.value(QStringLiteral("棒次"));
    b.number = r.value(QStringLiteral("背號"));
    b.name = r.value(QStringLiteral("姓名"));
    b.position = r.value(QStringLiteral("守位")).trimmed();
    b.atBats = r.value(QStringLiteral("打數"));
    b.hits = r.value(QStringLiteral("安打"));
    b.homeRuns = r.value(QStringLiteral("全壘打"));
    b.rbis = r.value(QStringLiteral("打點"));
    b.average = r.value(QStringLiteral("打擊率"));
    for (int i = 0; i < 8; ++i)
        b.results[i] = r.value(QString::number(i + 1));
    b.leftGame = left;
    return b;
}

PitchingLine pitchingLine(const db::Row& r, bool left)
{
    PitchingLine p;
    p.number = r.value(QStringLiteral("背號"));
    p.name = r.value(QStringLiteral("姓名"));
    p.thirds = game::leadingNumber(r.value(QStringLiteral("局數")));
    p.hits = r.value(QStringLiteral("被安打"));
    p.homeRuns = r.value(QStringLiteral("被全壘打"));
    p.strikeouts = r.value(QStringLiteral("奪三振"));
    p.walks = r.value(QStringLiteral("四死球"));
    p.runs = r.value(QStringLiteral("失分"));
    p.earnedRuns = r.value(QStringLiteral("自責分"));
    p.strikes = r.value(QStringLiteral("好球"));
    p.balls = r.value(QStringLiteral("壞球"));
    p.leftGame = left;
    return p;
}

Result<Done> readTeam(db::Database& d, TeamBox& team, const QString& side, const QString& batting,
                      const QString& pitching)
{
    const auto current =
        d.query(QStringLiteral("SELECT ") + kBattingColumns + QStringLiteral(" FROM ") + batting +
                QStringLiteral(" ORDER BY ") + kSlotOrder);
    const auto left = d.query(QStringLiteral("SELECT ") + kBattingColumns +
                                  QStringLiteral(" FROM 退場打者今日 WHERE 先後攻=? ORDER BY ") +
                                  kSlotOrder + QStringLiteral(",Seq"),
                              {side});
    const auto pitchers =
        d.query(QStringLiteral("SELECT ") + kPitchingColumns +
                    QStringLiteral(" FROM 退場投手今日 WHERE 先後攻=? ORDER BY Seq"),
                {side});
    const auto pitcher =
        d.query(QStringLiteral("SELECT ") + kPitchingColumns + QStringLiteral(" FROM ") + pitching);
    for (const auto* r : {&current, &left, &pitchers, &pitcher})
        if (!*r)
            return Result<Done>::failure(r->error());
    // Those who left come at their slot, before the one who replaced them.
    qsizetype next = 0;
    for (const db::Row& row : *current) {
        const BattingLine now = battingLine(row, false);
        while (next < left->size() && game::leadingNumber(left->at(next).value(
                                          QStringLiteral("棒次"))) <= game::leadingNumber(now.slot))
            team.batting << battingLine(left->at(next++), true);
        team.batting << now;
    }
    while (next < left->size())
        team.batting << battingLine(left->at(next++), true);
    for (const db::Row& row : *pitchers)
        team.pitching << pitchingLine(row, true);
    for (const db::Row& row : *pitcher)
        team.pitching << pitchingLine(row, false);
    return success();
}

double figure(const QString& text)
{
    return game::leadingNumber(text);
}

// The log's figures on each line, the substitutes' roles, the team's totals.
void addLogFigures(TeamBox& team, bool second, const GameTally& tally)
{
    BattingLine& sum = team.totals;
    sum = {};
    sum.slot = QStringLiteral("合計");
    double totals[7] = {};
    for (BattingLine& b : team.batting) {
        const QString key = playerKey(second, b.number, b.name);
        const BatterTally t = tally.batters.value(key);
        b.walks = QString::number(t.walks);
        b.hitByPitch = QString::number(t.hitByPitch);
        b.strikeouts = QString::number(t.strikeouts);
        b.role = tally.entered.value(key);
        b.average = boxScoreAverage(figure(b.atBats), figure(b.hits));
        const QString* parts[] = {&b.atBats, &b.hits,       &b.homeRuns,  &b.rbis,
                                  &b.walks,  &b.hitByPitch, &b.strikeouts};
        for (int i = 0; i < 7; ++i)
            totals[i] += figure(*parts[i]);
    }
    QString* parts[] = {&sum.atBats, &sum.hits,       &sum.homeRuns,  &sum.rbis,
                        &sum.walks,  &sum.hitByPitch, &sum.strikeouts};
    for (int i = 0; i < 7; ++i)
        *parts[i] = game::numberText(totals[i]);
    sum.average = boxScoreAverage(totals[0], totals[1]);
    // The team's pitchers face the other team: they field while it bats.
    for (PitchingLine& p : team.pitching) {
        const PitcherTally t = tally.pitchers.value(playerKey(second, p.number, p.name));
        p.baseOnBalls = QString::number(t.walks);
        p.battersFaced = QString::number(t.battersFaced);
    }
}

QString cell(const QString& text)
{
    return text.trimmed().isEmpty() || text == game::kBlank ? QString() : text;
}

QString csvField(const QString& cellText)
{
    const QString text = db::guardedCell(cellText);
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QByteArray csvTable(const QList<QStringList>& rows)
{
    QString out;
    for (const QStringList& row : rows) {
        QStringList fields;
        for (const QString& f : row)
            fields << csvField(f);
        out += fields.join(u',') + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

namespace {

QByteArray csv(const QList<QStringList>& rows)
{
    return csvTable(rows);
}

QString decisionsText(const PitchersOfRecord& d)
{
    auto name = [](const QString& who) {
        return who.isEmpty() ? QStringLiteral("無") : who.section(u':', -1);
    };
    return QStringLiteral("勝投: ") + name(d.win) + QStringLiteral("  敗投: ") + name(d.loss) +
           QStringLiteral("  救援: ") + name(d.save);
}

QString era(const PitchingLine& p)
{
    return game::eraText(p.thirds, game::leadingNumber(p.earnedRuns));
}

QStringList battingRow(const BattingLine& b)
{
    QStringList row{b.slot,   b.number,     b.name,       b.role.isEmpty() ? b.position : b.role,
                    b.atBats, b.hits,       b.homeRuns,   b.rbis,
                    b.walks,  b.hitByPitch, b.strikeouts, b.average};
    for (const QString& r : b.results)
        row << cell(r);
    return row;
}

QStringList pitchingRow(const PitchingLine& p)
{
    const double strikes = figure(p.strikes);
    return {p.number,
            p.name,
            boxScoreInnings(p.thirds),
            p.hits,
            p.runs,
            p.earnedRuns,
            p.baseOnBalls,
            p.strikeouts,
            p.homeRuns,
            game::numberText(strikes + figure(p.balls)) + u'-' + game::numberText(strikes),
            p.battersFaced,
            p.walks,
            era(p),
            p.decision};
}

const QStringList kBattingHeader{
    QStringLiteral("棒次"),   QStringLiteral("背號"), QStringLiteral("姓名"),
    QStringLiteral("守位"),   QStringLiteral("打數"), QStringLiteral("安打"),
    QStringLiteral("全壘打"), QStringLiteral("打點"), QStringLiteral("四壞"),
    QStringLiteral("觸身"),   QStringLiteral("三振"), QStringLiteral("打擊率"),
    QStringLiteral("1"),      QStringLiteral("2"),    QStringLiteral("3"),
    QStringLiteral("4"),      QStringLiteral("5"),    QStringLiteral("6"),
    QStringLiteral("7"),      QStringLiteral("8")};
const QStringList kPitchingHeader{
    QStringLiteral("背號"),      QStringLiteral("姓名"),     QStringLiteral("局數"),
    QStringLiteral("被安打"),    QStringLiteral("失分"),     QStringLiteral("自責分"),
    QStringLiteral("四壞"),      QStringLiteral("奪三振"),   QStringLiteral("被全壘打"),
    QStringLiteral("球數-好球"), QStringLiteral("面對打者"), QStringLiteral("四死球"),
    QStringLiteral("防禦率"),    QStringLiteral("勝敗")};

// Markup escaped, and what XML cannot hold at all left out: control
// characters other than tab and line ends, U+FFFE, U+FFFF and halves of
// surrogate pairs that have lost their other half.
QString escaped(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            kept += c;
            kept += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF ||
            (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r'))
            continue;
        kept += c;
    }
    return kept.toHtmlEscaped();
}

QString htmlTable(const QString& caption, const QStringList& header, const QList<QStringList>& rows,
                  const QList<bool>& marked = {})
{
    QString out = QStringLiteral("<table><caption>") + escaped(caption) +
                  QStringLiteral("</caption><thead><tr>");
    for (const QString& h : header)
        out += QStringLiteral("<th>") + escaped(h) + QStringLiteral("</th>");
    out += QStringLiteral("</tr></thead><tbody>");
    for (qsizetype i = 0; i < rows.size(); ++i) {
        out += marked.value(i) ? QStringLiteral("<tr class=\"left\">") : QStringLiteral("<tr>");
        for (const QString& f : rows[i])
            out += QStringLiteral("<td>") + escaped(f) + QStringLiteral("</td>");
        out += QStringLiteral("</tr>");
    }
    return out + QStringLiteral("</tbody></table>\n");
}

QList<QStringList> lineScoreRows(const BoxScore& box)
{
    QList<QStringList> rows;
    for (const TeamBox* t : {&box.first, &box.second}) {
        QStringList row{t->name};
        for (int i = 0; i < box.innings(); ++i)
            row << cell(t->innings[i]);
        rows << (row << t->runs << t->hits << t->errors);
    }
    return rows;
}

QStringList lineScoreHeader(const BoxScore& box)
{
    QStringList h{QStringLiteral("隊名")};
    for (int i = 1; i <= box.innings(); ++i)
        h << QString::number(i);
    return h << QStringLiteral("R") << QStringLiteral("H") << QStringLiteral("E");
}

} // namespace

int BoxScore::innings() const
{
    int last = 9;
    for (int i = 9; i < 12; ++i)
        if (!cell(first.innings[i]).isEmpty() || !cell(second.innings[i]).isEmpty())
            last = i + 1;
    return last;
}

QString boxScoreAverage(double atBats, double hits)
{
    return atBats > 0 ? game::dayAverageText(atBats, hits) : QStringLiteral(".000");
}

void setDecisions(BoxScore& box, const PitchersOfRecord& decisions)
{
    box.decisions = decisions;
    for (TeamBox* t : {&box.first, &box.second})
        for (PitchingLine& p : t->pitching) {
            const QString who = p.number.isEmpty() ? p.name : p.number + u':' + p.name;
            p.decision = who == decisions.win    ? QStringLiteral("勝")
                         : who == decisions.loss ? QStringLiteral("敗")
                         : who == decisions.save ? QStringLiteral("救援")
                                                 : QString();
        }
}

QString boxScoreInnings(double thirds)
{
    return game::inningsText(thirds, game::InningsNotation::Outs);
}

Result<BoxScore> readBoxScore(db::Database& d, const QDate& date)
{
    BoxScore box;
    box.date = date;
    const auto rhe = d.query(QStringLiteral("SELECT * FROM RHE ORDER BY Half ASC"));
    if (!rhe)
        return Result<BoxScore>::failure(rhe.error());
    TeamBox* teams[] = {&box.first, &box.second};
    for (int t = 0; t < 2 && t < rhe->size(); ++t) {
        const db::Row& r = rhe->at(t);
        teams[t]->name = r.value(QStringLiteral("TEAM"));
        for (int i = 0; i < 12; ++i)
            teams[t]->innings[i] = r.value(QStringLiteral("Round%1").arg(i + 1));
        teams[t]->runs = r.value(QStringLiteral("R"));
        teams[t]->hits = r.value(QStringLiteral("H"));
        teams[t]->errors = r.value(QStringLiteral("E"));
    }
    // The team that bats first fields in the bottom halves: its pitchers are in PF.
    if (auto r = readTeam(d, box.first, QStringLiteral("先攻"), QStringLiteral("SF今日成績"),
                          QStringLiteral("PF今日成績"));
        !r)
        return Result<BoxScore>::failure(r.error());
    if (auto r = readTeam(d, box.second, QStringLiteral("後攻"), QStringLiteral("SL今日成績"),
                          QStringLiteral("PL今日成績"));
        !r)
        return Result<BoxScore>::failure(r.error());
    // A database from before the play log has none: its figures stay at 0.
    const auto stored = readPlayLog(d);
    const QList<game::PlayEvent> log = stored ? *stored : QList<game::PlayEvent>{};
    const GameTally tally = tallyGame(log);
    addLogFigures(box.first, false, tally);
    addLogFigures(box.second, true, tally);
    box.final = tally.ended;
    box.status = gameStatusText(tally);
    if (box.final) {
        std::array<QString, 2> starters;
        QHash<QString, double> thirds;
        const TeamBox* teams[] = {&box.first, &box.second};
        for (int t = 0; t < 2; ++t)
            for (const PitchingLine& p : teams[t]->pitching) {
                const QString who = p.number.isEmpty() ? p.name : p.number + u':' + p.name;
                if (starters[t].isEmpty())
                    starters[t] = who;
                thirds.insert(playerKey(t == 1, p.number, p.name), p.thirds);
            }
        const Decisions d = decideGame(log, starters, thirds);
        setDecisions(box, {d.win, d.loss, d.save});
    }
    return box;
}

QString boxScoreXhtml(const BoxScore& box)
{
    const QString title = box.first.name + QStringLiteral(" 對 ") + box.second.name +
                          QStringLiteral(" ") + box.date.toString(u"yyyy/MM/dd") + u' ' +
                          box.status;
    QString out = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"zh-Hant\">\n"
        "<head><meta charset=\"UTF-8\"/><title>");
    out += escaped(title) + QStringLiteral("</title>\n<style>\n"
                                           "@page { size: A4; margin: 12mm; }\n"
                                           "body { font: 9pt sans-serif; margin: 0; }\n"
                                           "h1 { font-size: 14pt; margin: 0 0 2mm; }\n"
                                           "table { border-collapse: collapse; margin: 0 0 3mm; "
                                           "width: 100%; page-break-inside: avoid; }\n"
                                           "caption { text-align: left; font-weight: bold; }\n"
                                           "th, td { border: 0.2mm solid #888; padding: 0.4mm "
                                           "1mm; text-align: center; white-space: nowrap; }\n"
                                           "tr.left td { color: #555; font-style: italic; }\n"
                                           "</style></head>\n<body>\n<h1>");
    out += escaped(title) + QStringLiteral("</h1>\n<p>") + escaped(box.status) + u' ' +
           escaped(box.first.name) + u' ' + escaped(box.first.runs) + QStringLiteral(" : ") +
           escaped(box.second.runs) + u' ' + escaped(box.second.name) + QStringLiteral("</p>\n");
    if (box.final)
        out += QStringLiteral("<p>") + escaped(decisionsText(box.decisions)) +
               QStringLiteral("</p>\n");
    out += htmlTable(QStringLiteral("比分"), lineScoreHeader(box), lineScoreRows(box));
    for (const TeamBox* t : {&box.first, &box.second}) {
        QList<QStringList> rows;
        QList<bool> left;
        for (const BattingLine& b : t->batting) {
            rows << battingRow(b);
            left << b.leftGame;
        }
        rows << battingRow(t->totals);
        out += htmlTable(t->name + QStringLiteral(" 打擊"), kBattingHeader, rows, left);
    }
    for (const TeamBox* t : {&box.first, &box.second}) {
        QList<QStringList> rows;
        for (const PitchingLine& p : t->pitching)
            rows << pitchingRow(p);
        out += htmlTable(t->name + QStringLiteral(" 投手"), kPitchingHeader, rows);
    }
    return out + QStringLiteral("</body>\n</html>\n");
}

QList<std::pair<QString, QByteArray>> boxScoreCsv(const BoxScore& box)
{
    QList<std::pair<QString, QByteArray>> out;
    out.append({QStringLiteral("比分.csv"),
                csv(QList<QStringList>{lineScoreHeader(box)} + lineScoreRows(box))});
    const QString sides[] = {QStringLiteral("先攻"), QStringLiteral("後攻")};
    const TeamBox* teams[] = {&box.first, &box.second};
    for (int t = 0; t < 2; ++t) {
        QList<QStringList> batting{QStringList{QStringLiteral("隊名")} + kBattingHeader +
                                   QStringList{QStringLiteral("退場")}};
        for (const BattingLine& b : teams[t]->batting)
            batting << (QStringList{teams[t]->name} + battingRow(b) +
                        QStringList{b.leftGame ? QStringLiteral("是") : QString()});
        batting << (QStringList{teams[t]->name} + battingRow(teams[t]->totals) +
                    QStringList{QString()});
        out.append({sides[t] + QStringLiteral("打擊.csv"), csv(batting)});
        QList<QStringList> pitching{QStringList{QStringLiteral("隊名")} + kPitchingHeader};
        for (const PitchingLine& p : teams[t]->pitching)
            pitching << (QStringList{teams[t]->name} + pitchingRow(p));
        out.append({sides[t] + QStringLiteral("投手.csv"), csv(pitching)});
    }
    return out;
}

Result<QStringList> writeBoxScore(const BoxScore& box, const QString& htmlFile,
                                  const QString& csvFolder)
{
    QStringList written;
    // Written beside and renamed over: a symbolic link in the file's place is
    // replaced, never followed to whatever it points at.
    auto write = [&](const QString& path, const QByteArray& bytes) -> bool {
        if (!app::replaceFile(path, [&](QIODevice& f) { return f.write(bytes) == bytes.size(); }))
            return false;
        written << path;
        return true;
    };
    if (!htmlFile.isEmpty() && !write(htmlFile, boxScoreXhtml(box).toUtf8()))
        return Result<QStringList>::failure(QStringLiteral("無法寫入 ") + htmlFile);
    if (!csvFolder.isEmpty()) {
        if (!QDir().mkpath(csvFolder))
            return Result<QStringList>::failure(QStringLiteral("無法建立資料夾 ") + csvFolder);
        for (const auto& [name, bytes] : boxScoreCsv(box))
            if (!write(QDir(csvFolder).filePath(name), bytes))
                return Result<QStringList>::failure(QStringLiteral("無法寫入 ") +
                                                    QDir(csvFolder).filePath(name));
    }
    return written;
}

} // namespace hp::report
