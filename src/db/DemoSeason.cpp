#include "DemoSeason.h"

#include <QRandomGenerator>
#include <QSet>

namespace hp::db {

namespace {

constexpr int kBatters = 16;
constexpr int kPitchers = 9;

const QString kSurnames = QStringLiteral(
    "陳林黃張李王吳劉蔡楊許鄭謝郭洪曾邱廖賴周徐蘇葉莊呂江何蕭羅高潘簡朱鍾彭游詹胡施沈余");
const QString kGiven = QStringLiteral(
    "志明家豪冠宇建宏俊傑承翰宗翰柏翰彥廷子軒哲瑋育誠昱辰文彬國華信宏嘉偉耀中士賢品睿正雄振宇");

// Names are made by the generator, never taken from anywhere.
class NameMaker {
public:
    explicit NameMaker(QRandomGenerator& rng)
        : m_rng(rng)
    {
    }
    QString next()
    {
        for (;;) {
            QString name = kSurnames[m_rng.bounded(int(kSurnames.size()))];
            const int g = m_rng.bounded(int(kGiven.size() / 2)) * 2;
            name += kGiven.mid(g, 2);
            if (!m_used.contains(name)) {
                m_used.insert(name);
                return name;
            }
        }
    }

private:
    QRandomGenerator& m_rng;
    QSet<QString> m_used;
};

QString innings(QRandomGenerator& rng)
{
    const int whole = 5 + rng.bounded(90);
    static const QStringList fractions{QString(), QStringLiteral(".3"), QStringLiteral(".33"),
                                       QStringLiteral(".6"), QStringLiteral(".67")};
    return QString::number(whole) + fractions[rng.bounded(int(fractions.size()))];
}

QString birthday(QRandomGenerator& rng)
{
    return QStringLiteral("%1/%2/%3")
        .arg(1988 + rng.bounded(15))
        .arg(1 + rng.bounded(12), 2, 10, QLatin1Char('0'))
        .arg(1 + rng.bounded(28), 2, 10, QLatin1Char('0'));
}

Result<Done> insertProfile(Database& db, const QString& team, const QString& number,
                           const QString& name, QRandomGenerator& rng)
{
    const QVariantList values{team,
                              number,
                              name,
                              QString::number(168 + rng.bounded(25)),
                              QString::number(65 + rng.bounded(35)),
                              birthday(rng)};
    for (const char* table : {"打者基本資料", "投手基本資料"}) {
        const auto r = db.exec(QStringLiteral("INSERT INTO ") + QString::fromUtf8(table) +
                                   QStringLiteral(" (隊名,背號,姓名,身高,體重,出生年月日) "
                                                  "VALUES (?,?,?,?,?,?)"),
                               values);
        if (!r)
            return asDone(r);
    }
    return success();
}

Result<Done> fillTeam(Database& db, const QString& team, NameMaker& names, QRandomGenerator& rng,
                      bool withApostrophe)
{
    static const QStringList batHands{QStringLiteral("右打"), QStringLiteral("右打"),
                                      QStringLiteral("左打"), QStringLiteral("兩打")};
    for (int i = 0; i < kBatters; ++i) {
        const QString number = QString::number(1 + i * 3 + rng.bounded(3));
        const QString name = (withApostrophe && i == 4) ? QStringLiteral("歐'尼爾") : names.next();
        const int atBats = 40 + rng.bounded(400);
        const int hits = atBats * (200 + rng.bounded(140)) / 1000;
        const auto r = db.exec(
            QStringLiteral("INSERT INTO 打擊整隊表年度 (隊名,背號,姓名,打習,打數,安打,打點,全壘打) "
                           "VALUES (?,?,?,?,?,?,?,?)"),
            {team, number, name, batHands[rng.bounded(int(batHands.size()))],
             QString::number(atBats), QString::number(hits),
             QString::number(hits / 2 + rng.bounded(10)),
             QString::number(rng.bounded(hits / 6 + 1))});
        if (!r)
            return asDone(r);
        if (auto p = insertProfile(db, team, number, name, rng); !p)
            return p;
    }
    for (int i = 0; i < kPitchers; ++i) {
        const QString number = QString::number(50 + i * 5 + rng.bounded(5));
        const QString name = names.next();
        const QString ip = innings(rng);
        const int whole = ip.section(u'.', 0, 0).toInt();
        const int runs = whole / 3 + rng.bounded(whole / 3 + 2);
        const auto r =
            db.exec(QStringLiteral(
                        "INSERT INTO 投手整隊表年度 (隊名,背號,姓名,打習,局數,好球,壞球,被安打,"
                        "被全壘打,奪三振,四死球,失分,自責分) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                    {team, number, name,
                     rng.bounded(4) == 0 ? QStringLiteral("左投") : QStringLiteral("右投"), ip,
                     QString::number(whole * 10 + rng.bounded(60)),
                     QString::number(whole * 6 + rng.bounded(40)),
                     QString::number(whole + rng.bounded(whole / 2 + 2)),
                     QString::number(rng.bounded(whole / 8 + 2)),
                     QString::number(whole * 2 / 3 + rng.bounded(whole / 3 + 2)),
                     QString::number(whole / 3 + rng.bounded(whole / 4 + 2)), QString::number(runs),
                     QString::number(runs - rng.bounded(runs / 4 + 1))});
        if (!r)
            return asDone(r);
        if (auto p = insertProfile(db, team, number, name, rng); !p)
            return p;
    }
    return success();
}

} // namespace

QStringList demoTeams()
{
    return {QStringLiteral("北岸海鷗"), QStringLiteral("山城雷豹"), QStringLiteral("港都鯨魚"),
            QStringLiteral("平原野馬")};
}

Result<Done> fillDemoSeason(Database& db)
{
    QRandomGenerator rng(20261208);
    NameMaker names(rng);
    return db.transaction([&]() -> Result<Done> {
        bool first = true;
        for (const QString& team : demoTeams()) {
            if (auto r = fillTeam(db, team, names, rng, first); !r)
                return r;
            first = false;
        }
        return success();
    });
}

} // namespace hp::db
