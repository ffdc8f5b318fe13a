#pragma once

class QAction;
class QCheckBox;
class QDialog;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpacerItem;
class QVBoxLayout;
class QWidget;

// Pointers to every widget, layout and spacer of the window. The objects belong to the dialog
// through Qt's parent-child ownership; the record owns nothing.
struct TimesDistributionForm
{
    QHBoxLayout *horizontalLayout = nullptr;
    QWidget *display = nullptr;
    QWidget *options = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QLineEdit *nameEdit = nullptr;
    QWidget *widget_4 = nullptr;
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QLabel *label = nullptr;
    QSlider *sigmaSlider = nullptr;
    QWidget *widget_3 = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QLabel *label_2 = nullptr;
    QSlider *trimSlider = nullptr;
    QCheckBox *showStatsCheck = nullptr;
    QPushButton *pasteButton = nullptr;
    QAction *chooseAction = nullptr;
    QWidget *widget = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QPushButton *colorButton = nullptr;
    QCheckBox *showQuartiles = nullptr;
    QSpacerItem *verticalSpacer = nullptr;
    QPushButton *pasteButton_2 = nullptr;
    QAction *chooseAction_2 = nullptr;
    QWidget *widget_2 = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QPushButton *colorButton_2 = nullptr;
    QCheckBox *showQuartiles2 = nullptr;
    QSpacerItem *verticalSpacer_2 = nullptr;
    QPushButton *clipboardButton = nullptr;
    QPushButton *saveButton = nullptr;

    // Builds the tree on the dialog, sets every text, then wires the dialog's on_<name>_<signal>
    // slots by object name. Uses only QWidget operations of the dialog.
    void setupForm(QDialog *dialog);
    void retranslateForm(QDialog *dialog);
};
