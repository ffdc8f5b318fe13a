#include "app/sessionchooser.h"
#include "data/dialogtext.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
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

constexpr int sessionRole = Qt::UserRole;

} // namespace

SessionChooser::SessionChooser(const SessionSet &set, qsizetype session, const Period &period,
                               QWidget *parent)
    : QDialog(parent)
    , set(set)
    , sessionList(new QTreeWidget(this))
    , lastSolves(new QSpinBox(this))
    , fromDate(dateEdit("fromDate", this))
    , toDate(dateEdit("toDate", this))
    , choiceCount(new QLabel(this))
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
    qsizetype empty = 0;
    for (qsizetype i = 0; i < set.sessions.size(); ++i) {
        const Session &each = set.sessions[i];
        auto *row = new QTreeWidgetItem(sessionList);
        row->setText(0,
                     each.name.trimmed().isEmpty() ? QString::number(i + 1)
                                                   : shownName(each.name, longestListedName));
        row->setData(0, sessionRole, i);
        // A number, so that the column sorts by it, written in the user's locale by the view.
        row->setData(1, Qt::DisplayRole, qlonglong(each.solveCount()));
        row->setText(2, shownDate(each.firstDate()));
        row->setText(3, shownDate(each.lastDate()));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        // Shown, so that the list is the file's, but there is nothing in it to chart.
        if (each.entries.isEmpty()) {
            row->setFlags(Qt::NoItemFlags);
            ++empty;
        }
    }
    sessionList->header()->setStretchLastSection(false);
    sessionList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column)
        sessionList->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    // In the file's order until a heading is clicked.
    sessionList->header()->setSortIndicator(-1, Qt::AscendingOrder);
    sessionList->setSortingEnabled(true);
    // A text of one session leaves only its period to choose.
    const bool several = set.sessions.size() > 1;
    sessionList->setVisible(several);

    lastSolves->setObjectName(QStringLiteral("lastSolves"));
    lastSolves->setRange(0, 999'999'999);
    lastSolves->setSpecialValueText(DialogText::tr("all"));
    lastSolves->setGroupSeparatorShown(true);
    lastSolves->setToolTip(
        DialogText::tr("Only the last solves of the dates chosen; \"all\" takes them all"));

    auto *presets = new QHBoxLayout;
    QList<QWidget *> presetButtons;
    const auto preset = [&](const QString &text, auto apply) {
        auto *button = new QPushButton(text, this);
        // Return stays with OK whatever button was clicked last.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, apply);
        presets->addWidget(button);
        presetButtons << button;
        return button;
    };
    preset(DialogText::tr("&All"), [this] { setPeriod(0, {}, {}); });
    preset(DialogText::tr("Last &100"), [this] { setPeriod(100, {}, {}); });
    monthPresets << preset(DialogText::tr("T&his month"), [this] {
        const QDate today = QDate::currentDate();
        setPeriod(0, QDate(today.year(), today.month(), 1), today);
    });
    monthPresets << preset(DialogText::tr("Last &month"), [this] {
        const QDate month = QDate::currentDate().addMonths(-1);
        setPeriod(0, QDate(month.year(), month.month(), 1),
                  QDate(month.year(), month.month(), month.daysInMonth()));
    });
    presets->addStretch();

    choiceCount->setObjectName(QStringLiteral("choiceCount"));
    auto *periodBox = new QGroupBox(DialogText::tr("Period"), this);
    auto *periodForm = new QFormLayout(periodBox);
    periodForm->addRow(presets);
    periodForm->addRow(DialogText::tr("&From"), fromDate);
    periodForm->addRow(DialogText::tr("T&o"), toDate);
    periodForm->addRow(DialogText::tr("Last &solves"), lastSolves);
    periodForm->addRow(choiceCount);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    if (several) {
        const QString count = groupedCount(set.sessions.size());
        layout->addWidget(new QLabel(
            empty == 0
                ? DialogText::tr("The text holds %1 sessions. Chart which one, and which period?")
                      .arg(count)
                : DialogText::tr("The text holds %1 sessions (%2 without solves). Chart which "
                                 "one, and which period?")
                      .arg(count, groupedCount(empty)),
            this));
    }
    layout->addWidget(sessionList);
    layout->addWidget(periodBox);
    layout->addWidget(buttons);

    // Tab follows the layout, top to bottom.
    QList<QWidget *> order {sessionList};
    order << presetButtons << fromDate << toDate << lastSolves << okButton
          << buttons->button(QDialogButtonBox::Cancel);
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (int i = 0; i < sessionList->topLevelItemCount(); ++i) {
        if (sessionOf(sessionList->topLevelItem(i)) == session)
            sessionList->setCurrentItem(sessionList->topLevelItem(i));
    }
    showSession(this->session());
    setPeriod(period.lastSolves, period.from, period.to);
    // What was set stays over a change of session: a preset's dates, dates as typed, the last
    // solves; a side left open is the new session's own first or last date.
    connect(sessionList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *, QTreeWidgetItem *previous) {
                const Period kept = periodOf(previous ? sessionOf(previous) : this->session());
                showSession(this->session());
                setPeriod(kept.lastSolves, kept.from, kept.to);
                showCount();
            });
    connect(sessionList, &QTreeWidget::itemActivated, this, [this] {
        if (okButton->isEnabled())
            accept();
    });
    fromDate->installEventFilter(this);
    toDate->installEventFilter(this);
    connect(fromDate, &QDateEdit::dateChanged, this, &SessionChooser::showCount);
    connect(toDate, &QDateEdit::dateChanged, this, &SessionChooser::showCount);
    connect(lastSolves, &QSpinBox::valueChanged, this, &SessionChooser::showCount);
    showCount();
    sessionList->setFocus();
    if (sessionList->isHidden())
        lastSolves->setFocus();
    resize(sizeHint().expandedTo(QSize(460, several ? 360 : 0)));
    fitScreen();
}

// F4 or Alt+Down opens a date's calendar, as they open a combo box's list. A date edit opens it
// only for a press on its arrow, so the key presses there.
bool SessionChooser::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QDateEdit *>(watched);
    if (!edit || event->type() != QEvent::KeyPress || !edit->isEnabled())
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool opens = (key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier)
        || (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier);
    if (!opens)
        return QDialog::eventFilter(watched, event);
    QStyleOptionComboBox option;
    option.initFrom(edit);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QPointF arrow
        = edit->style()
              ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, edit)
              .center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, edit->mapToGlobal(arrow), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &press);
    return true;
}

qsizetype SessionChooser::sessionOf(const QTreeWidgetItem *row) const
{
    return row ? row->data(0, sessionRole).toLongLong() : 0;
}

qsizetype SessionChooser::session() const
{
    return sessionOf(sessionList->currentItem());
}

Period SessionChooser::period() const
{
    return periodOf(session());
}

// Dates as the edits show the session's own first and last leave the period open on that side,
// so that a solve without a date, or with one no edit can show, is left out only by a bound the
// user set.
Period SessionChooser::periodOf(qsizetype shown) const
{
    Period period;
    period.lastSolves = lastSolves->value();
    if (set.sessions.isEmpty())
        return period;
    const Session &chosen = set.sessions[shown];
    if (!chosen.hasDates()) {
        period.from = keptFrom;
        period.to = keptTo;
        return period;
    }
    if (fromDate->date() != shownBound(fromDate, chosen.firstDate(), false))
        period.from = fromDate->date();
    if (toDate->date() != shownBound(toDate, chosen.lastDate(), true))
        period.to = toDate->date();
    return period;
}

void SessionChooser::showSession(qsizetype shown)
{
    const bool dated = !set.sessions.isEmpty() && set.sessions[shown].hasDates();
    fromDate->setEnabled(dated);
    toDate->setEnabled(dated);
    for (QPushButton *button : std::as_const(monthPresets))
        button->setEnabled(dated);
    // A date edit shows its special text at its lowest date only.
    const QString none = dated ? QString() : DialogText::tr("no dates");
    fromDate->setSpecialValueText(none);
    toDate->setSpecialValueText(none);
}

// A null date stands for the session's own first or last.
void SessionChooser::setPeriod(qsizetype last, QDate from, QDate to)
{
    lastSolves->setValue(int(std::min<qsizetype>(last, lastSolves->maximum())));
    if (set.sessions.isEmpty())
        return;
    const Session &chosen = set.sessions[session()];
    if (!chosen.hasDates()) {
        keptFrom = from;
        keptTo = to;
        fromDate->setDate(fromDate->minimumDate());
        toDate->setDate(toDate->minimumDate());
        return;
    }
    fromDate->setDate(!from.isNull() ? from : shownBound(fromDate, chosen.firstDate(), false));
    toDate->setDate(!to.isNull() ? to : shownBound(toDate, chosen.lastDate(), true));
}

// What OK will read, or why there is nothing to read.
void SessionChooser::showCount()
{
    if (set.sessions.isEmpty())
        return;
    const ParsedTimes parsed = set.choose(session(), period());
    QStringList counts;
    if (!parsed.times.isEmpty()) {
        counts << timesCount(parsed.times.size());
    }
    if (parsed.dnfSkipped > 0)
        counts << DialogText::tr("%1 DNF").arg(groupedCount(parsed.dnfSkipped));
    if (parsed.notRead > 0)
        counts << DialogText::tr("%1 not read").arg(groupedCount(parsed.notRead));
    const QString list = counts.join(QStringLiteral(", "));
    if (!parsed.times.isEmpty())
        choiceCount->setText(list);
    else if (set.sessions[session()].entries.isEmpty())
        choiceCount->setText(DialogText::tr("Nothing to chart: the session holds no solves"));
    else if (counts.isEmpty())
        choiceCount->setText(DialogText::tr("Nothing to chart: no solves in this period"));
    else
        choiceCount->setText(DialogText::tr("Nothing to chart, only %1").arg(list));
    okButton->setEnabled(!parsed.times.isEmpty());
}

// Never taller or wider than the screen it opens on, whatever its scale: the list gives way.
void SessionChooser::fitScreen()
{
    const QScreen *shown = parentWidget() ? parentWidget()->screen() : screen();
    if (!shown)
        return;
    const QSize room = shown->availableGeometry().size()
        - QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    resize(size().boundedTo(room));
}
