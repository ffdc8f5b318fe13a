#include "app/timesdistributiondialog.h"

#include "app/form/timesdistributionform.h"

#include <QLineEdit>
#include <QSettings>
#include <QVariant>

namespace {

constexpr auto organisationName = "Orvane";
constexpr auto applicationName = "SolvigramCharts";
constexpr auto titleKey = "timeDistributionName";

} // namespace

TimesDistributionDialog::TimesDistributionDialog(QWidget *parent)
    : QDialog(parent)
    , form(std::make_unique<TimesDistributionForm>())
{
    form->setupForm(this);
    form->display->installEventFilter(this);

    QSettings settings(QString::fromLatin1(organisationName), QString::fromLatin1(applicationName));
    mainColor = QColor(0x66, 0xCC, 0xFF);
    secondaryColor = QColor(0xFF, 0x82, 0x00);
    // A stored empty string is a title too; only a missing key keeps the default.
    const QVariant stored = settings.value(QString::fromLatin1(titleKey));
    if (stored.isValid())
        form->nameEdit->setText(stored.toString());
}

TimesDistributionDialog::~TimesDistributionDialog()
{
    QSettings settings(QString::fromLatin1(organisationName), QString::fromLatin1(applicationName));
    settings.setValue(QString::fromLatin1(titleKey), form->nameEdit->text());
    form.reset();
}
