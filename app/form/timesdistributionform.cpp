#include "app/form/timesdistributionform.h"
#include "app/controls.h"
#include "data/dialogtext.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QSlider>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// A row of the control column: a bare widget whose horizontal layout has no margins.
QHBoxLayout *rowLayout(QWidget *row, const char *name)
{
    auto *layout = new QHBoxLayout(row);
    layout->setObjectName(QString::fromLatin1(name));
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

template<typename Object> Object *named(Object *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// The paste button's context menu (right click or the Menu key) offers to choose again.
QAction *contextAction(QPushButton *button, const char *name)
{
    auto *action = named(new QAction(button), name);
    action->setEnabled(false);
    button->addAction(action);
    button->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}

QSpacerItem *expandingGap()
{
    return new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
}

} // namespace

void TimesDistributionForm::setupForm(QDialog *dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("TimesDistributionDialog"));
    dialog->resize(822, 392);

    QFont smallFont;
    smallFont.setPointSize(10);

    horizontalLayout = named(new QHBoxLayout(dialog), "horizontalLayout");
    display = named(new QWidget(dialog), "display");
    horizontalLayout->addWidget(display);

    options = named(new QWidget(dialog), "options");
    verticalLayout = named(new QVBoxLayout(options), "verticalLayout");
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    nameEdit = named(new QLineEdit(options), "nameEdit");
    verticalLayout->addWidget(nameEdit);

    widget_4 = named(new QWidget(options), "widget_4");
    horizontalLayout_5 = rowLayout(widget_4, "horizontalLayout_5");
    label = named(new QLabel(widget_4), "label");
    horizontalLayout_5->addWidget(label);
    sigmaSlider = named(new QSlider(widget_4), "sigmaSlider");
    sigmaSlider->setOrientation(Qt::Horizontal);
    sigmaSlider->setRange(Controls::detail.minimum, Controls::detail.maximum);
    sigmaSlider->setValue(Controls::detail.start);
    horizontalLayout_5->addWidget(sigmaSlider);
    verticalLayout->addWidget(widget_4);

    widget_3 = named(new QWidget(options), "widget_3");
    horizontalLayout_4 = rowLayout(widget_3, "horizontalLayout_4");
    label_2 = named(new QLabel(widget_3), "label_2");
    horizontalLayout_4->addWidget(label_2);
    trimSlider = named(new QSlider(widget_3), "trimSlider");
    trimSlider->setOrientation(Qt::Horizontal);
    trimSlider->setRange(Controls::trim.minimum, Controls::trim.maximum);
    trimSlider->setValue(Controls::trim.start);
    horizontalLayout_4->addWidget(trimSlider);
    verticalLayout->addWidget(widget_3);

    showStatsCheck = named(new QCheckBox(options), "showStatsCheck");
    showStatsCheck->setFont(smallFont);
    showStatsCheck->setChecked(true);
    verticalLayout->addWidget(showStatsCheck);

    pasteButton = named(new QPushButton(options), "pasteButton");
    chooseAction = contextAction(pasteButton, "chooseAction");
    verticalLayout->addWidget(pasteButton);

    widget = named(new QWidget(options), "widget");
    horizontalLayout_2 = rowLayout(widget, "horizontalLayout_2");
    colorButton = named(new QPushButton(widget), "colorButton");
    colorButton->setFont(smallFont);
    horizontalLayout_2->addWidget(colorButton);
    showQuartiles = named(new QCheckBox(widget), "showQuartiles");
    showQuartiles->setFont(smallFont);
    showQuartiles->setChecked(true);
    horizontalLayout_2->addWidget(showQuartiles);
    verticalLayout->addWidget(widget);

    verticalSpacer = expandingGap();
    verticalLayout->addItem(verticalSpacer);

    pasteButton_2 = named(new QPushButton(options), "pasteButton_2");
    chooseAction_2 = contextAction(pasteButton_2, "chooseAction_2");
    verticalLayout->addWidget(pasteButton_2);

    widget_2 = named(new QWidget(options), "widget_2");
    horizontalLayout_3 = rowLayout(widget_2, "horizontalLayout_3");
    colorButton_2 = named(new QPushButton(widget_2), "colorButton_2");
    colorButton_2->setFont(smallFont);
    horizontalLayout_3->addWidget(colorButton_2);
    showQuartiles2 = named(new QCheckBox(widget_2), "showQuartiles2");
    showQuartiles2->setFont(smallFont);
    horizontalLayout_3->addWidget(showQuartiles2);
    verticalLayout->addWidget(widget_2);

    verticalSpacer_2 = expandingGap();
    verticalLayout->addItem(verticalSpacer_2);

    clipboardButton = named(new QPushButton(options), "clipboardButton");
    verticalLayout->addWidget(clipboardButton);

    saveButton = named(new QPushButton(options), "saveButton");
    verticalLayout->addWidget(saveButton);

    horizontalLayout->addWidget(options);
    horizontalLayout->setStretch(0, 1);

    retranslateForm(dialog);

    QMetaObject::connectSlotsByName(dialog);
}

void TimesDistributionForm::retranslateForm(QDialog *dialog)
{
    const QString quartilesTip = DialogText::tr(
        "<html><head/><body><p>Display 25%, 50% and 75% cumulative lines (the value is the area "
        "under the curve, which sums up to 100%). Note that for high detail level (very jagged "
        "lines and spikes) the computation becomes iffy.</p></body></html>");

    dialog->setWindowTitle(DialogText::tr("Tamberlin's Solvigram Times Distribution Charts"));
    nameEdit->setToolTip(DialogText::tr(
        "<html><head/><body><p>If this one is not clear, I am afraid the rest of these options "
        "will be rather obscure...</p></body></html>"));
    nameEdit->setText(DialogText::tr("Chart Title"));
    label->setText(DialogText::tr("Detail"));
    sigmaSlider->setToolTip(DialogText::tr(
        "<html><head/><body><p><span style=\" font-weight:700;\">Level of detail:</span></p>"
        "<p>A multiplier on the variance of the current samples, used to compute the gaussian "
        "kernel for the density estimation. Practically, what it does is to shrink or broaden "
        "the &quot;width&quot; of each datapoint, giving something more or less smooth. </p>"
        "<p><br/></p><p>On one extreme every single sample will generate an individual spike, "
        "on the other you'll have a formless blob. Finding a reasonable value in the middle is "
        "the best way to &quot;scout for structure&quot; in the data. </p></body></html>"));
    label_2->setText(DialogText::tr("Trim"));
    trimSlider->setToolTip(DialogText::tr(
        "<html><head/><body><p><span style=\" font-weight:700;\">Trim slow results:</span></p>"
        "<p>Remove outliers on the slow end of the distribution</p></body></html>"));
    showStatsCheck->setToolTip(DialogText::tr(
        "<html><head/><body><p>Computes typical statistics on the distributions. The MoXAO5 "
        "splits the data sequentially and computes strict AO5 values, and then averages them "
        "together.</p></body></html>"));
    showStatsCheck->setText(DialogText::tr("Show Stats"));
    pasteButton->setText(DialogText::tr("Paste data"));
    chooseAction->setText(DialogText::tr("Choose session and period…"));
    colorButton->setToolTip(DialogText::tr(
        "<html><head/><body><p>Change color of the foreground distribution</p></body></html>"));
    colorButton->setText(DialogText::tr("Color"));
    showQuartiles->setToolTip(quartilesTip);
    showQuartiles->setText(DialogText::tr("Quartiles"));
    pasteButton_2->setText(DialogText::tr("Paste 2nd Data"));
    chooseAction_2->setText(DialogText::tr("Choose session and period…"));
    colorButton_2->setToolTip(DialogText::tr(
        "<html><head/><body><p>Change color of the background distribution</p></body></html>"));
    colorButton_2->setText(DialogText::tr("Color"));
    showQuartiles2->setToolTip(quartilesTip);
    showQuartiles2->setText(DialogText::tr("Quartiles"));
    clipboardButton->setToolTip(DialogText::tr(
        "<html><head/><body><p>Copy current screenshot to clipboard. Then paste it in your "
        "favorite software, discord, or other digital content processor that accepts images. "
        "Note: data is raster and depends on the resolution of the current screen and window "
        "size.</p></body></html>"));
    clipboardButton->setText(DialogText::tr("To Clipboard"));
    saveButton->setToolTip(DialogText::tr(
        "<html><head/><body><p>Save current image to disk. Note that size is dependent on "
        "screen resolution and window size.</p></body></html>"));
    saveButton->setText(DialogText::tr("Save"));

    // A screen reader names each control with the list it belongs to; the chart's description,
    // its title and statistics, is the dialog's to keep up to date.
    display->setAccessibleName(DialogText::tr("Chart"));
    nameEdit->setAccessibleName(DialogText::tr("Chart title"));
    sigmaSlider->setAccessibleName(DialogText::tr("Detail"));
    trimSlider->setAccessibleName(DialogText::tr("Trim"));
    pasteButton->setAccessibleName(DialogText::tr("Paste data into the first list"));
    colorButton->setAccessibleName(DialogText::tr("Color of the first list"));
    showQuartiles->setAccessibleName(DialogText::tr("Quartiles of the first list"));
    pasteButton_2->setAccessibleName(DialogText::tr("Paste 2nd Data into the second list"));
    colorButton_2->setAccessibleName(DialogText::tr("Color of the second list"));
    showQuartiles2->setAccessibleName(DialogText::tr("Quartiles of the second list"));
}
