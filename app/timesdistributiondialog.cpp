#include "app/timesdistributiondialog.h"

#include "app/controls.h"
#include "app/form/timesdistributionform.h"
#include "app/notebar.h"
#include "app/settingsstore.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QVariant>

#include <memory>

namespace {

constexpr auto titleKey = "timeDistributionName";
constexpr auto showKeyKey = "showKey";

} // namespace

TimesDistributionDialog::TimesDistributionDialog(QWidget *parent)
    : QDialog(parent)
    , form(std::make_unique<TimesDistributionForm>())
{
    form->setupForm(this);
    form->display->installEventFilter(this);
    form->nameEdit->installEventFilter(this);
    form->pasteButton->installEventFilter(this);
    form->pasteButton_2->installEventFilter(this);
    form->pasteButton->setFocusPolicy(Qt::TabFocus);
    form->pasteButton_2->setFocusPolicy(Qt::TabFocus);
    form->display->setAcceptDrops(true);
    form->pasteButton_2->setAcceptDrops(true);

    // A newcomer's first keys paste: Return or Ctrl+V at once, and Return from the other controls
    // too. In the title field Ctrl+V stays the field's own paste.
    form->pasteButton->setFocus();
    form->pasteButton->setDefault(true);
    connect(new QShortcut(QKeySequence::Paste, this), &QShortcut::activated, form->pasteButton,
            &QAbstractButton::click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), this),
            &QShortcut::activated, form->pasteButton_2, &QAbstractButton::click);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &TimesDistributionDialog::showAbout);

    // Connected here, not by name: the dialog keeps the twelve slots its form is wired to.
    connect(form->chooseAction, &QAction::triggered, this, [this] { chooseAgain(true); });
    connect(form->chooseAction_2, &QAction::triggered, this, [this] { chooseAgain(false); });

    noteBar = new NoteBar(form->display);
    // A forward delete moves no cursor, so the title's own signal keeps the description.
    connect(form->nameEdit, &QLineEdit::textChanged, this, &TimesDistributionDialog::describeChart);

    // The chart's own menu: the export commands, the statistics as text, and the key.
    form->display->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto addAction = [this](const QString &text, const char *name) {
        auto *action = new QAction(text, form->display);
        action->setObjectName(QString::fromLatin1(name));
        form->display->addAction(action);
        return action;
    };
    connect(addAction(tr("Copy Image"), "copyImageAction"), &QAction::triggered,
            form->clipboardButton, &QAbstractButton::click);
    connect(addAction(tr("Save Image…"), "saveImageAction"), &QAction::triggered, form->saveButton,
            &QAbstractButton::click);
    connect(addAction(tr("Copy Statistics"), "copyStatisticsAction"), &QAction::triggered, this,
            &TimesDistributionDialog::copyStatistics);
    auto *separator = new QAction(form->display);
    separator->setSeparator(true);
    form->display->addAction(separator);
    showKeyAction = addAction(tr("Show Key"), "showKeyAction");
    showKeyAction->setCheckable(true);
    connect(showKeyAction, &QAction::toggled, this, &TimesDistributionDialog::redraw);

    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    showKeyAction->setChecked(settings->value(QString::fromLatin1(showKeyKey), false).toBool());
    mainColor = QColor::fromRgb(ChartScene::defaultPrimaryColor);
    secondaryColor = QColor::fromRgb(ChartScene::defaultSecondaryColor);
    // A stored empty string is a title too; only a missing key keeps the default.
    const QVariant stored = settings->value(QString::fromLatin1(titleKey));
    if (stored.isValid())
        form->nameEdit->setText(stored.toString());
    describeChart();
    if (SettingsStore::isReadOnly())
        noteBar->showNote(tr("The program's folder takes no file, so %1 cannot be written: the "
                             "title is kept until the program closes")
                              .arg(SettingsStore::portableFile),
                          NoteBar::Kind::Warning);
}

ChartScene TimesDistributionDialog::chartScene() const
{
    ChartScene scene;
    scene.primaryTimes = primaryTimes;
    scene.secondaryTimes = secondaryTimes;
    scene.primaryColor = mainColor;
    scene.secondaryColor = secondaryColor;
    Controls::setSliders(scene, form->sigmaSlider->value(), form->trimSlider->value());
    scene.primaryQuartiles = form->showQuartiles->isChecked();
    scene.secondaryQuartiles = form->showQuartiles2->isChecked();
    scene.statistics = form->showStatsCheck->isChecked();
    scene.key = showKeyAction->isChecked();
    scene.primaryLabel = primaryLabel;
    scene.secondaryLabel = secondaryLabel;
    scene.title = form->nameEdit->text();
    scene.size = form->display->size();
    scene.devicePixelRatio = form->display->devicePixelRatioF();
    return scene;
}

void TimesDistributionDialog::fitToScreen()
{
    if (const QScreen *shownOn = screen())
        resize(size().boundedTo(shownOn->availableSize()));
}

TimesDistributionDialog::~TimesDistributionDialog()
{
    if (!SettingsStore::isReadOnly()) {
        const std::unique_ptr<QSettings> settings = SettingsStore::open();
        settings->setValue(QString::fromLatin1(titleKey), form->nameEdit->text());
        // Stored once the key was shown, so that a store never touched keeps only the title.
        if (showKeyAction->isChecked() || settings->contains(QString::fromLatin1(showKeyKey)))
            settings->setValue(QString::fromLatin1(showKeyKey), showKeyAction->isChecked());
    }
    form.reset();
}
