// A freeze batch's post-thaw tests and its release: released only on a test that reaches the
// station's figure, every change kept.
#include "frozen_store.h"
#include "register_rules.h"
#include "sheet_queries.h"

#include <cmath>

namespace estrivo {

using Kind = JournalError::Kind;

namespace {

JournalError refusal(const QString &reason)
{
    return {Kind::Refused, reason};
}

QVariant optionalNumber(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> numberOrNone(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

} // namespace

JournalError Journal::recordThawTest(ThawTest &test)
{
    if (!test.testedAt.isValid())
        test.testedAt = QDateTime::currentDateTimeUtc();
    if (test.operatorName.isEmpty())
        test.operatorName = loginName();
    if (test.source.isEmpty())
        test.source = u"typed"_s;
    const auto percent = [](double value) {
        return std::isfinite(value) && value >= 0 && value <= 100;
    };
    const auto velocity = [](const std::optional<double> &value) {
        return !value || (std::isfinite(*value) && *value >= 0 && *value < 1000);
    };
    if (!percent(test.totalMotility) || !percent(test.progressiveMotility))
        return d->failed(Kind::Refused,
                         JournalText::tr("Motility after thawing is a percentage from 0 to 100."));
    if (test.progressiveMotility > test.totalMotility)
        return d->failed(Kind::Refused,
                         JournalText::tr("Progressive motility (%1 %) cannot exceed total "
                                         "motility (%2 %).")
                             .arg(test.progressiveMotility)
                             .arg(test.totalMotility));
    if (!velocity(test.vcl) || !velocity(test.vsl) || !velocity(test.vap))
        return d->failed(Kind::Refused,
                         JournalText::tr("Velocities are given in µm/s, from 0 to 1000."));
    if (test.strawsThawed < 1 || !std::isfinite(test.minutesAfterThaw)
        || test.minutesAfterThaw < 0)
        return d->failed(Kind::Refused,
                         JournalText::tr("A test thaws at least one straw, and is read 0 or "
                                         "more minutes after."));
    for (const auto &[what, text] : {std::pair{JournalText::tr("bacteriology"), test.bacteriology},
                                     std::pair{JournalText::tr("source"), test.source}}) {
        if (const QString problem = textProblem(what, text); !problem.isEmpty())
            return d->failed(Kind::Refused, problem);
    }
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        if (!run(query, u"SELECT id FROM freeze_batches WHERE id = ?"_s, {test.batchId}))
            return false;
        if (!query.next()) {
            d->refusal = JournalError{
                Kind::NotFound,
                JournalText::tr("The journal holds no freeze batch %1.").arg(test.batchId)};
            return false;
        }
        query.finish();
        if (!run(query,
                 u"INSERT INTO thaw_tests (batch_id, tested_at, straws_thawed, minutes_after,"
                 " total_motility, progressive_motility, vcl, vsl, vap, bacteriology, source,"
                 " operator_name) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"_s,
                 {test.batchId, timeText(test.testedAt), test.strawsThawed, test.minutesAfterThaw,
                  test.totalMotility, test.progressiveMotility, optionalNumber(test.vcl),
                  optionalNumber(test.vsl), optionalNumber(test.vap),
                  textValue(test.bacteriology.trimmed()), textValue(test.source),
                  textValue(test.operatorName)})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        return true;
    });
    if (saved.ok())
        test.id = id;
    return saved;
}

QList<ThawTest> Journal::thawTests(qint64 batchId)
{
    QList<ThawTest> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        if (!run(query,
                 u"SELECT id, batch_id, tested_at, straws_thawed, minutes_after, total_motility,"
                 " progressive_motility, vcl, vsl, vap, bacteriology, source, operator_name"
                 " FROM thaw_tests WHERE batch_id = ? ORDER BY id"_s,
                 {batchId}))
            return false;
        while (query.next()) {
            ThawTest test;
            test.id = query.value(0).toLongLong();
            test.batchId = query.value(1).toLongLong();
            test.testedAt = timeFromText(query.value(2).toString());
            test.strawsThawed = query.value(3).toInt();
            test.minutesAfterThaw = query.value(4).toDouble();
            test.totalMotility = query.value(5).toDouble();
            test.progressiveMotility = query.value(6).toDouble();
            test.vcl = numberOrNone(query.value(7));
            test.vsl = numberOrNone(query.value(8));
            test.vap = numberOrNone(query.value(9));
            test.bacteriology = query.value(10).toString();
            test.source = query.value(11).toString();
            test.operatorName = query.value(12).toString();
            found << test;
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

JournalError Journal::changeReleaseState(ReleaseChange &change)
{
    if (!change.changedAt.isValid())
        change.changedAt = QDateTime::currentDateTimeUtc();
    if (change.operatorName.isEmpty())
        change.operatorName = loginName();
    if (const QString problem = textProblem(JournalText::tr("reason"), change.reason);
        !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    if (change.state != ReleaseState::Released && change.reason.trimmed().isEmpty())
        return d->failed(Kind::Refused, JournalText::tr("Holding a batch back needs a reason."));
    const std::optional<FrozenSettings> settings = frozenSettings();
    if (!settings)
        return d->lastError;
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        if (!run(query,
                 "SELECT state FROM freeze_batches WHERE id = ?"_L1 + d->backend->lockRowsClause(),
                 {change.batchId}))
            return false;
        if (!query.next()) {
            d->refusal = JournalError{
                Kind::NotFound,
                JournalText::tr("The journal holds no freeze batch %1.").arg(change.batchId)};
            return false;
        }
        query.finish();
        if (change.state == ReleaseState::Released) {
            // Released on the latest test only: a worse one after a good one holds it back.
            if (!run(query,
                     u"SELECT progressive_motility FROM thaw_tests WHERE batch_id = ?"
                     " ORDER BY id DESC LIMIT 1"_s,
                     {change.batchId}))
                return false;
            if (!query.next()) {
                d->refusal = refusal(JournalText::tr("Batch %1 has no post-thaw test yet: it "
                                                     "cannot be released.")
                                         .arg(change.batchId));
                return false;
            }
            const double progressive = query.value(0).toDouble();
            query.finish();
            if (progressive < settings->releaseMotility) {
                d->refusal = refusal(JournalText::tr("Batch %1 showed %2 % progressive motility "
                                                     "after thawing, below the station's %3 %: "
                                                     "it cannot be released.")
                                         .arg(change.batchId)
                                         .arg(progressive)
                                         .arg(settings->releaseMotility));
                return false;
            }
        }
        if (!run(query,
                 u"INSERT INTO release_changes (batch_id, state, changed_at, reason,"
                 " operator_name) VALUES (?, ?, ?, ?, ?) RETURNING id"_s,
                 {change.batchId, releaseStateName(change.state), timeText(change.changedAt),
                  textValue(change.reason.trimmed()), textValue(change.operatorName)})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        query.finish();
        return run(query, u"UPDATE freeze_batches SET state = ? WHERE id = ?"_s,
                   {releaseStateName(change.state), change.batchId});
    });
    if (saved.ok())
        change.id = id;
    return saved;
}

QList<ReleaseChange> Journal::releaseChanges(qint64 batchId)
{
    QList<ReleaseChange> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        if (!run(query,
                 u"SELECT id, batch_id, state, changed_at, reason, operator_name"
                 " FROM release_changes WHERE batch_id = ? ORDER BY id"_s,
                 {batchId}))
            return false;
        while (query.next())
            found << ReleaseChange{
                query.value(0).toLongLong(),
                query.value(1).toLongLong(),
                releaseStateFromName(query.value(2).toString()).value_or(ReleaseState::OnHold),
                timeFromText(query.value(3).toString()),
                query.value(4).toString(),
                query.value(5).toString()};
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

} // namespace estrivo
