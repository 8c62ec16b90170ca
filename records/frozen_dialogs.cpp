// The position picker and the fields and buttons every frozen semen dialog is built of.
#include "frozen_dialogs.h"
#include "frozen_dialogs_parts.h"
#include "records_text.h"
#include "register_ui.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>

namespace estrivo {

using namespace frozen_form;

namespace frozen_form {

QLineEdit *newLine(const QString &name, int maxLength)
{
    auto *line = new QLineEdit;
    line->setObjectName(name);
    line->setMaxLength(maxLength);
    return line;
}

QDoubleSpinBox *newNumber(const QString &name, double maximum, int decimals, const QString &suffix)
{
    auto *box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setLocale(QLocale::c());
    box->setRange(0, maximum);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    return box;
}

QDialogButtonBox *newButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void showProblem(QLabel *line, QDialogButtonBox *buttons, const QString &why)
{
    line->setText(why);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
}

} // namespace frozen_form

// --- PositionPicker

PositionPicker::PositionPicker(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tank = new QComboBox;
    m_tank->setObjectName(QStringLiteral("tank"));
    m_tank->setAccessibleName(RecordsText::tr("Tank"));
    m_canister = new QSpinBox;
    m_canister->setObjectName(QStringLiteral("canister"));
    m_canister->setAccessibleName(RecordsText::tr("Canister"));
    m_canister->setPrefix(RecordsText::tr("canister "));
    m_canister->setRange(1, 1);
    m_goblet = newLine(QStringLiteral("goblet"), 20);
    m_goblet->setPlaceholderText(RecordsText::tr("goblet"));
    m_cane = newLine(QStringLiteral("cane"), 20);
    m_cane->setPlaceholderText(RecordsText::tr("cane"));
    layout->addWidget(m_tank, 2);
    layout->addWidget(m_canister, 1);
    layout->addWidget(m_goblet, 1);
    layout->addWidget(m_cane, 1);
    connect(m_tank, &QComboBox::currentIndexChanged, this, [this](int index) {
        const int canisters = index >= 0 && index < m_tanks.size() ? m_tanks[index].canisters : 1;
        m_canister->setRange(1, std::max(canisters, 1));
        emit changed();
    });
    connect(m_canister, &QSpinBox::valueChanged, this, &PositionPicker::changed);
    connect(m_goblet, &QLineEdit::textChanged, this, &PositionPicker::changed);
    connect(m_cane, &QLineEdit::textChanged, this, &PositionPicker::changed);
}

void PositionPicker::setTanks(const QList<Tank> &tanks)
{
    m_tanks = tanks;
    const QSignalBlocker quiet(m_tank);
    m_tank->clear();
    for (const Tank &tank : tanks)
        m_tank->addItem(shownText(tank.name, 40), tank.id);
    m_tank->setCurrentIndex(tanks.isEmpty() ? -1 : 0);
    m_canister->setRange(1, tanks.isEmpty() ? 1 : std::max(tanks.front().canisters, 1));
    emit changed();
}

StrawPosition PositionPicker::position() const
{
    StrawPosition position;
    position.tankId = m_tank->currentData().toLongLong();
    position.canister = m_canister->value();
    position.goblet = m_goblet->text().trimmed();
    position.cane = m_cane->text().trimmed();
    return position;
}

QString PositionPicker::tankName() const
{
    const int index = m_tank->currentIndex();
    return index >= 0 && index < m_tanks.size() ? m_tanks[index].name : QString();
}

QString PositionPicker::problem() const
{
    if (m_tanks.isEmpty())
        return RecordsText::tr("No tank is kept yet: add one under Frozen, Tanks.");
    if (m_tank->currentIndex() < 0)
        return RecordsText::tr("Choose the tank.");
    return {};
}

} // namespace estrivo
