#include "app/sessionchooser.h"
#include "data/dialogtext.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString dateFormat = QStringLiteral("yyyy-MM-dd");
// Wider than any list is shown, and short enough that a name of a megabyte lays out at once.
constexpr qsizetype longestListedName = 300;

QString shownDate(QDate date)
{
    return date.isNull() ? QStringLiteral("–") : date.toString(dateFormat);
}

// A session's first or last date as its edit can show it: a date before or after the edit's
// range (a start in milliseconds read as seconds lies millennia ahead) is the range's end, and one
// that is no date at all the end on its own side.
QDate shownBound(const QDateEdit *edit, QDate date, bool last)
{
    if (!date.isValid())
        return last ? edit->maximumDate() : edit->minimumDate();
    return std::clamp(date, edit->minimumDate(), edit->maximumDate());
}

QDateEdit *dateEdit(const char *name, QWidget *parent)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(QLatin1StringView(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(dateFormat);
    return edit;
}

} // namespace

SessionChooser::SessionChooser(const SessionSet &set, qsizetype session, const Period &period,
                               QWidget *parent)
    : QDialog(parent)
    , set(set)
    , sessionList(new QTreeWidget(this))
    , lastSolves(new QSpinBox(this))
    , fromDate(dateEdit("fromDate", this))
    , toDate(dateEdit("toDate", this))
{
    setObjectName(QStringLiteral("sessionChooser"));
    setWindowTitle(DialogText::tr("Choose session and period"));
    setModal(true);

    sessionList->setObjectName(QStringLiteral("sessionList"));
    sessionList->setRootIsDecorated(false);
    sessionList->setUniformRowHeights(true);
    sessionList->setAllColumnsShowFocus(true);
    sessionList->setHeaderLabels({DialogText::tr("Session"), DialogText::tr("Solves"),
                                  DialogText::tr("First"), DialogText::tr("Last")});
    const QLocale locale;
    for (const Session &each : set.sessions) {
        auto *row
            = new QTreeWidgetItem(sessionList,
                                  {each.name.isEmpty() ? DialogText::tr("(unnamed)")
                                                       : shownName(each.name, longestListedName),
                                   locale.toString(each.solveCount()), shownDate(each.firstDate()),
                                   shownDate(each.lastDate())});
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    sessionList->header()->setStretchLastSection(false);
    sessionList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column)
        sessionList->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    // A text of one session leaves only its period to choose.
    sessionList->setVisible(set.sessions.size() > 1);

    lastSolves->setObjectName(QStringLiteral("lastSolves"));
    lastSolves->setRange(0, 999'999'999);
    lastSolves->setSpecialValueText(DialogText::tr("all"));
    lastSolves->setGroupSeparatorShown(true);
    lastSolves->setToolTip(
        DialogText::tr("Only the last solves of the dates chosen; \"all\" takes them all"));

    auto *presets = new QHBoxLayout;
    const auto preset = [&](const QString &text, auto apply) {
        auto *button = new QPushButton(text, this);
        // Return stays with OK whatever button was clicked last.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, apply);
        presets->addWidget(button);
        return button;
    };
    preset(DialogText::tr("All"), [this] { setPeriod(0, {}, {}); });
    preset(DialogText::tr("Last 100"), [this] { setPeriod(100, {}, {}); });
    monthPresets << preset(DialogText::tr("This month"), [this] {
        const QDate today = QDate::currentDate();
        setPeriod(0, QDate(today.year(), today.month(), 1), today);
    });
    monthPresets << preset(DialogText::tr("Last month"), [this] {
        const QDate month = QDate::currentDate().addMonths(-1);
        setPeriod(0, QDate(month.year(), month.month(), 1),
                  QDate(month.year(), month.month(), month.daysInMonth()));
    });
    presets->addStretch();

    auto *periodBox = new QGroupBox(DialogText::tr("Period"), this);
    auto *periodForm = new QFormLayout(periodBox);
    periodForm->addRow(presets);
    periodForm->addRow(DialogText::tr("From"), fromDate);
    periodForm->addRow(DialogText::tr("To"), toDate);
    periodForm->addRow(DialogText::tr("Last solves"), lastSolves);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    if (set.sessions.size() > 1) {
        layout->addWidget(new QLabel(
            DialogText::tr("The text holds %1 sessions. Chart which one, and which period?")
                .arg(set.sessions.size()),
            this));
    }
    layout->addWidget(sessionList);
    layout->addWidget(periodBox);
    layout->addWidget(buttons);

    sessionList->setCurrentItem(sessionList->topLevelItem(int(session)));
    showSession();
    setPeriod(period.lastSolves, period.from, period.to);
    connect(sessionList, &QTreeWidget::currentItemChanged, this, [this] {
        showSession();
        setPeriod(lastSolves->value(), {}, {});
    });
    connect(sessionList, &QTreeWidget::itemActivated, this, &QDialog::accept);
    sessionList->setFocus();
    if (sessionList->isHidden())
        lastSolves->setFocus();
    resize(sizeHint().expandedTo(QSize(460, set.sessions.size() > 1 ? 360 : 0)));
}

qsizetype SessionChooser::session() const
{
    const int row = sessionList->indexOfTopLevelItem(sessionList->currentItem());
    return row < 0 ? 0 : row;
}

// Dates as the edits show the session's own first and last leave the period open on that side,
// so that a solve without a date, or with one no edit can show, is left out only by a bound the
// user set.
Period SessionChooser::period() const
{
    Period period;
    period.lastSolves = lastSolves->value();
    if (fromDate->isEnabled()) {
        const Session &chosen = set.sessions[session()];
        if (fromDate->date() != shownBound(fromDate, chosen.firstDate(), false))
            period.from = fromDate->date();
        if (toDate->date() != shownBound(toDate, chosen.lastDate(), true))
            period.to = toDate->date();
    }
    return period;
}

void SessionChooser::showSession()
{
    const bool dated = !set.sessions.isEmpty() && set.sessions[session()].hasDates();
    fromDate->setEnabled(dated);
    toDate->setEnabled(dated);
    for (QPushButton *button : std::as_const(monthPresets))
        button->setEnabled(dated);
}

// A null date stands for the session's own first or last.
void SessionChooser::setPeriod(qsizetype last, QDate from, QDate to)
{
    lastSolves->setValue(int(std::min<qsizetype>(last, lastSolves->maximum())));
    if (set.sessions.isEmpty())
        return;
    const Session &chosen = set.sessions[session()];
    const QDate today = QDate::currentDate();
    fromDate->setDate(!from.isNull()          ? from
                          : chosen.hasDates() ? shownBound(fromDate, chosen.firstDate(), false)
                                              : today);
    toDate->setDate(!to.isNull()            ? to
                        : chosen.hasDates() ? shownBound(toDate, chosen.lastDate(), true)
                                            : today);
}
