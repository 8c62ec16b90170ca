// The tanks frozen straws are kept in, and their care: the nitrogen level checked and logged.
#include "frozen_store.h"
#include "register_rules.h"
#include "sheet_queries.h"

#include <cmath>

namespace estrivo {

using Kind = JournalError::Kind;

namespace {

// More canisters than any tank has: a figure past it is a slip of the keyboard.
constexpr int kMostCanisters = 100;

JournalError refusal(const QString &reason)
{
    return {Kind::Refused, reason};
}

QString tankProblem(const Tank &tank)
{
    if (stallionKey(tank.name).isEmpty())
        return JournalText::tr("A tank needs a name.");
    for (const auto &[what, text] : {std::pair{JournalText::tr("tank's name"), tank.name},
                                     std::pair{JournalText::tr("location"), tank.location}}) {
        if (const QString problem = textProblem(what, text); !problem.isEmpty())
            return problem;
    }
    if (tank.canisters < 1 || tank.canisters > kMostCanisters)
        return JournalText::tr("A tank has 1 to %1 canisters.").arg(kMostCanisters);
    if (!std::isfinite(tank.minimumLevelCm) || tank.minimumLevelCm < 0
        || tank.minimumLevelCm > 200)
        return JournalText::tr("The lowest safe level is given in cm, from 0 to 200.");
    return {};
}

} // namespace

JournalError Journal::addTank(Tank &tank)
{
    tank.name = tank.name.trimmed();
    if (const QString problem = tankProblem(tank); !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        if (!run(query, u"SELECT name FROM tanks WHERE name_key = ?"_s, {stallionKey(tank.name)}))
            return false;
        if (query.next()) {
            d->refusal = refusal(JournalText::tr("There is a tank named \"%1\" already.")
                                     .arg(query.value(0).toString()));
            return false;
        }
        query.finish();
        if (!run(query,
                 u"INSERT INTO tanks (name, name_key, location, canisters, minimum_level_cm)"
                 " VALUES (?, ?, ?, ?, ?) RETURNING id"_s,
                 {tank.name, stallionKey(tank.name), textValue(tank.location.trimmed()),
                  tank.canisters, tank.minimumLevelCm})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        return true;
    });
    if (saved.ok())
        tank.id = id;
    return saved;
}

JournalError Journal::updateTank(const Tank &changed)
{
    Tank tank = changed;
    tank.name = tank.name.trimmed();
    if (const QString problem = tankProblem(tank); !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    return d->write([&](QSqlQuery &query) {
        if (!run(query, u"SELECT name FROM tanks WHERE name_key = ? AND id <> ?"_s,
                 {stallionKey(tank.name), tank.id}))
            return false;
        if (query.next()) {
            d->refusal = refusal(JournalText::tr("There is a tank named \"%1\" already.")
                                     .arg(query.value(0).toString()));
            return false;
        }
        query.finish();
        // Fewer canisters than hold straws would leave straws nowhere.
        if (!run(query, u"SELECT MAX(canister) FROM placements WHERE tank_id = ?"_s, {tank.id})
            || !query.next())
            return false;
        if (const int used = query.value(0).toInt(); used > tank.canisters) {
            d->refusal = refusal(JournalText::tr("Canister %1 of this tank holds straws: it "
                                                 "keeps at least %1 canisters.")
                                     .arg(used));
            return false;
        }
        query.finish();
        if (!run(query,
                 u"UPDATE tanks SET name = ?, name_key = ?, location = ?, canisters = ?,"
                 " minimum_level_cm = ? WHERE id = ?"_s,
                 {tank.name, stallionKey(tank.name), textValue(tank.location.trimmed()),
                  tank.canisters, tank.minimumLevelCm, tank.id}))
            return false;
        if (query.numRowsAffected() != 1) {
            d->refusal = JournalError{
                Kind::NotFound, JournalText::tr("The journal holds no tank %1.").arg(tank.id)};
            return false;
        }
        return true;
    });
}

QList<Tank> Journal::tanks()
{
    QList<Tank> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        if (!run(query, u"SELECT t.id, t.name, t.location, t.canisters, t.minimum_level_cm,"
                        " c.checked_at, c.level_cm FROM tanks t LEFT JOIN tank_checks c ON c.id ="
                        " (SELECT l.id FROM tank_checks l WHERE l.tank_id = t.id"
                        " ORDER BY l.checked_at DESC, l.id DESC LIMIT 1) ORDER BY t.name_key"_s))
            return false;
        while (query.next()) {
            Tank tank;
            tank.id = query.value(0).toLongLong();
            tank.name = query.value(1).toString();
            tank.location = query.value(2).toString();
            tank.canisters = query.value(3).toInt();
            tank.minimumLevelCm = query.value(4).toDouble();
            if (!query.value(5).isNull()) {
                tank.lastCheckAt = timeFromText(query.value(5).toString());
                tank.lastLevelCm = query.value(6).toDouble();
            }
            found << tank;
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

JournalError Journal::recordTankCheck(TankCheck &check)
{
    if (!check.checkedAt.isValid())
        check.checkedAt = QDateTime::currentDateTimeUtc();
    if (check.operatorName.isEmpty())
        check.operatorName = loginName();
    if (!std::isfinite(check.levelCm) || check.levelCm < 0 || check.levelCm > 200)
        return d->failed(Kind::Refused,
                         JournalText::tr("A nitrogen level is given in cm, from 0 to 200."));
    if (const QString problem = textProblem(JournalText::tr("note"), check.note);
        !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        if (!run(query, u"SELECT id FROM tanks WHERE id = ?"_s, {check.tankId}))
            return false;
        if (!query.next()) {
            d->refusal
                = JournalError{Kind::NotFound,
                               JournalText::tr("The journal holds no tank %1.").arg(check.tankId)};
            return false;
        }
        query.finish();
        if (!run(query,
                 u"INSERT INTO tank_checks (tank_id, checked_at, level_cm, refilled, note,"
                 " operator_name) VALUES (?, ?, ?, ?, ?, ?) RETURNING id"_s,
                 {check.tankId, timeText(check.checkedAt), check.levelCm, check.refilled ? 1 : 0,
                  textValue(check.note.trimmed()), textValue(check.operatorName)})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        return true;
    });
    if (saved.ok())
        check.id = id;
    return saved;
}

QList<TankCheck> Journal::tankChecks(qint64 tankId)
{
    QList<TankCheck> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        if (!run(query,
                 u"SELECT id, tank_id, checked_at, level_cm, refilled, note, operator_name"
                 " FROM tank_checks WHERE tank_id = ? ORDER BY checked_at DESC, id DESC"_s,
                 {tankId}))
            return false;
        while (query.next())
            found << TankCheck{query.value(0).toLongLong(),
                               query.value(1).toLongLong(),
                               timeFromText(query.value(2).toString()),
                               query.value(3).toDouble(),
                               query.value(4).toInt() != 0,
                               query.value(5).toString(),
                               query.value(6).toString()};
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

} // namespace estrivo
