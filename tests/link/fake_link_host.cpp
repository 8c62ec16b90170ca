#include "fake_link_host.h"

#include "fake_serial_port.h"

namespace {
QString flag(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}
} // namespace

void FakeLinkHost::setConnectCaption(const QString &text)
{
    note(QStringLiteral("setConnectCaption(%1)").arg(text));
    caption = text;
}

void FakeLinkHost::setConnectEnabled(bool enabled)
{
    note(QStringLiteral("setConnectEnabled(%1)").arg(flag(enabled)));
    connectEnabled = enabled;
}

void FakeLinkHost::setPortChoiceEnabled(bool enabled)
{
    note(QStringLiteral("setPortChoiceEnabled(%1)").arg(flag(enabled)));
    portChoiceEnabled = enabled;
}

void FakeLinkHost::setExitEnabled(bool enabled)
{
    note(QStringLiteral("setExitEnabled(%1)").arg(flag(enabled)));
    exitEnabled = enabled;
}

void FakeLinkHost::setTitle(const QString &text)
{
    note(QStringLiteral("setTitle(%1)").arg(text));
    title = text;
}

void FakeLinkHost::disableCommands()
{
    note(QStringLiteral("disableCommands"));
    commandsEnabled = false;
}

void FakeLinkHost::enableCommands()
{
    note(QStringLiteral("enableCommands"));
    commandsEnabled = true;
    exitEnabled = true;
}

void FakeLinkHost::appendLog(const QString &text)
{
    note(QStringLiteral("appendLog(%1)").arg(visible(text)));
    log += text;
}

void FakeLinkHost::replaceLog(const QString &text)
{
    note(QStringLiteral("replaceLog(%1)").arg(visible(text)));
    log = text;
}

void FakeLinkHost::setConcentration(const QString &text)
{
    note(QStringLiteral("setConcentration(%1)").arg(text));
    con = text;
}

void FakeLinkHost::setDate(const QString &text)
{
    note(QStringLiteral("setDate(%1)").arg(text));
    date = text;
}

void FakeLinkHost::calculate()
{
    note(QStringLiteral("calculate"));
    ++calculations;
    if (onCalculate)
        onCalculate();
}

void FakeLinkHost::showLinkError(const QString &message, const QString &detail)
{
    note(QStringLiteral("showLinkError(%1)").arg(message));
    errors << message;
    details << detail;
}

void FakeLinkHost::note(const QString &entry)
{
    if (m_journal)
        m_journal->append(entry);
}
