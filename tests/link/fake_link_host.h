#pragma once

#include "instrument_link.h"

#include <QStringList>

#include <functional>

// The window as the link sees it: plain members, and every call journaled in order.
class FakeLinkHost final : public estrivo::LinkHost
{
public:
    explicit FakeLinkHost(QStringList *journal) : m_journal(journal) {}

    QString port = QStringLiteral("1");
    QString caption = QStringLiteral("&Connect");
    bool connectEnabled = true;
    bool portChoiceEnabled = true;
    bool exitEnabled = true;
    // Start-up: the buttons are greyed while the File menu entries are not; a single flag
    // stands for the six, set by the two calls.
    bool commandsEnabled = false;
    QString title = QStringLiteral("Estrivo (tm)");
    QString log;
    QString con;
    QString date;
    int calculations = 0;
    QStringList errors;  // message boxes, message then detail
    QStringList details;
    std::function<void()> onCalculate;

    QString portText() const override { return port; }
    QString connectCaption() const override { return caption; }
    void setConnectCaption(const QString &text) override;
    void setConnectEnabled(bool enabled) override;
    void setPortChoiceEnabled(bool enabled) override;
    void setExitEnabled(bool enabled) override;
    void setTitle(const QString &text) override;
    void disableCommands() override;
    void enableCommands() override;
    void appendLog(const QString &text) override;
    void replaceLog(const QString &text) override;
    void setConcentration(const QString &text) override;
    void setDate(const QString &text) override;
    void calculate() override;
    void showLinkError(const QString &message, const QString &detail) override;

private:
    void note(const QString &entry);
    QStringList *m_journal;
};
