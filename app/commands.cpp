#include "app/form/timesdistributionform.h"
#include "app/timesdistributiondialog.h"

#include <QClipboard>
#include <QColorDialog>
#include <QGuiApplication>

void TimesDistributionDialog::redraw()
{
    form->display->repaint();
}

// A paste replaces the whole list, even with an empty result; an empty clipboard changes nothing.
void TimesDistributionDialog::pasteInto(TimeList &target)
{
    const QString text = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
    if (!text.isEmpty())
        target = parseTimeList(text);
    redraw();
}

void TimesDistributionDialog::chooseColor(QColor &color, const QString &title)
{
    const QColor chosen = QColorDialog::getColor(color, this, title);
    // A cancelled dialog answers with an invalid colour; keep the one the chart has.
    if (chosen.isValid())
        color = chosen;
    raise();
    redraw();
}

void TimesDistributionDialog::on_pasteButton_clicked()
{
    pasteInto(primaryTimes);
}

void TimesDistributionDialog::on_nameEdit_cursorPositionChanged(int, int)
{
    redraw();
}

void TimesDistributionDialog::on_sigmaSlider_valueChanged(int)
{
    redraw();
}

void TimesDistributionDialog::on_trimSlider_valueChanged(int)
{
    redraw();
}

void TimesDistributionDialog::on_colorButton_clicked()
{
    chooseColor(mainColor, tr("Choose the main chart color"));
}

void TimesDistributionDialog::on_pasteButton_2_clicked()
{
    pasteInto(secondaryTimes);
}

void TimesDistributionDialog::on_colorButton_2_clicked()
{
    chooseColor(secondaryColor, tr("Choose the secondary chart color"));
}

void TimesDistributionDialog::on_showQuartiles2_stateChanged(int)
{
    redraw();
}

void TimesDistributionDialog::on_showQuartiles_stateChanged(int)
{
    redraw();
}

void TimesDistributionDialog::on_showStatsCheck_stateChanged(int)
{
    redraw();
}
