#include "frozen_ui.h"

#include "records_text.h"
#include "register_ui.h"

#include <QLocale>
#include <QRegularExpression>

namespace estrivo {

QString releaseStateText(ReleaseState state)
{
    switch (state) {
    case ReleaseState::Quarantine:
        return RecordsText::tr("Quarantine");
    case ReleaseState::Released:
        return RecordsText::tr("Released");
    case ReleaseState::OnHold:
        return RecordsText::tr("On hold");
    }
    return {};
}

QString shownPosition(const QString &tankName, const StrawPosition &position)
{
    QStringList parts{shownText(tankName, 40),
                      RecordsText::tr("canister %1").arg(position.canister)};
    if (!position.goblet.isEmpty())
        parts << RecordsText::tr("goblet %1").arg(shownText(position.goblet, 20));
    if (!position.cane.isEmpty())
        parts << RecordsText::tr("cane %1").arg(shownText(position.cane, 20));
    return parts.join(QStringLiteral(", "));
}

QString strawsText(qint64 straws)
{
    return straws == 1 ? RecordsText::tr("1 straw") : RecordsText::tr("%1 straws").arg(straws);
}

QString numberText(double value)
{
    // The C locale's digits: these figures are copied onto forms and into other programs.
    return QLocale::c()
        .toString(value, 'f', 2)
        .remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

std::optional<ThawTest> latestTest(const QList<ThawTest> &tests)
{
    if (tests.isEmpty())
        return std::nullopt;
    return tests.constLast();
}

QStringList frozenReminders(const QList<Tank> &tanks, const QList<LowStock> &lowStock,
                            const QDateTime &now)
{
    QStringList reminders;
    for (const Tank &tank : tanks) {
        const QString name = shownText(tank.name, 40);
        if (!tank.lastCheckAt.isValid())
            reminders << RecordsText::tr("%1 has no level check yet.").arg(name);
        else if (tank.isCheckDue(now))
            reminders << RecordsText::tr("%1 is due for a level check: last checked %2 days "
                                         "ago.")
                             .arg(name)
                             .arg(tank.lastCheckAt.daysTo(now));
        if (tank.isLow())
            reminders << RecordsText::tr("%1 is low: %2 cm of liquid nitrogen, below %3 cm.")
                             .arg(name, numberText(tank.lastLevelCm),
                                  numberText(tank.minimumLevelCm));
    }
    for (const LowStock &low : lowStock) {
        reminders << (low.doses == 1
                          ? RecordsText::tr("%1 is low in frozen stock: 1 released dose left.")
                                .arg(shownText(low.stallion, 40))
                          : RecordsText::tr("%1 is low in frozen stock: %2 released doses left.")
                                .arg(shownText(low.stallion, 40))
                                .arg(low.doses));
    }
    return reminders;
}

} // namespace estrivo
