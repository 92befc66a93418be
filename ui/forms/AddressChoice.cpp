#include "ui/forms/AddressChoice.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QSettings>

namespace {

const QString Home = QStringLiteral("casa");

} // namespace

AddressChoice::AddressChoice(const QString &title, QSettings *memory, const QString &key, QWidget *parent)
    : QGroupBox(title, parent)
    , m_memory(memory)
    , m_key(key)
    , optLavoro(new QRadioButton(QStringLiteral("di &lavoro"), this))
    , optCasa(new QRadioButton(QStringLiteral("di &casa"), this))
{
    optLavoro->setObjectName(QStringLiteral("optLavoro"));
    optCasa->setObjectName(QStringLiteral("optCasa"));
    const bool home = memory && memory->value(key).toString() == Home;
    (home ? optCasa : optLavoro)->setChecked(true);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(optLavoro);
    layout->addWidget(optCasa);
    layout->addStretch(1);
}

bool AddressChoice::home() const
{
    return optCasa->isChecked();
}

void AddressChoice::remember() const
{
    if (m_memory)
        m_memory->setValue(m_key, home() ? Home : QStringLiteral("lavoro"));
}
