#include "app/form/timesdistributionform.h"
#include "app/notebar.h"
#include "app/sessionchooser.h"
#include "app/timesdistributiondialog.h"
#include "data/dialogtext.h"
#include "data/timereaders.h"
#include "stats/timestatistics.h"

#include <QAction>
#include <QClipboard>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr qint64 largestDroppedFile = qint64(256) * 1024 * 1024;
// Below this many characters a text is read and drawn in well under 0.2 s, however it is written.
constexpr qint64 largeText = qint64(1) << 20;

// The wait cursor from a large text's reading until its chart is drawn: a million times take a
// moment, a 50 MB paste seconds, and the window cannot answer meanwhile.
class WaitCursor
{
public:
    explicit WaitCursor(bool large)
        : large(large)
    {
        if (large)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (large)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    const bool large;
};

// Reads a dropped file into `text`; returns why it cannot, or an empty string.
QString readDroppedFile(const QString &path, QString &text)
{
    const QFileInfo info(path);
    const QString name = noteName(info.fileName().isEmpty() ? path : info.fileName());
    const QString tooLarge = DialogText::tr("%1 is larger than 256 MB").arg(name);
    if (info.isDir())
        return DialogText::tr("%1 is a folder").arg(name);
    // A device or pipe could block or never end.
    if (info.exists() && !info.isFile())
        return DialogText::tr("%1 is not a plain file").arg(name);
    if (info.size() > largestDroppedFile)
        return tooLarge;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DialogText::tr("%1 could not be read: %2").arg(name, file.errorString());
    bool isText = true;
    std::optional<QString> read
        = TimesDistributionDialog::readDroppedText(file, largestDroppedFile, &isText);
    if (file.error() != QFileDevice::NoError)
        return DialogText::tr("%1 could not be read: %2").arg(name, file.errorString());
    // The size it reported may be 0 (a file under /proc), or it grew while it was read.
    if (!read)
        return tooLarge;
    // An image, say the chart just saved: read as text it would empty the list.
    if (!isText)
        return DialogText::tr("%1 is not text").arg(name);
    text = std::move(*read);
    return {};
}

QString listNowEmpty(bool primary)
{
    return primary ? DialogText::tr("the first list is now empty")
                   : DialogText::tr("the second list is now empty");
}

QString listUnchanged(bool primary)
{
    return primary ? DialogText::tr("the first list stays as it was")
                   : DialogText::tr("the second list stays as it was");
}

} // namespace

std::optional<QString> TimesDistributionDialog::readDroppedText(QIODevice &device, qint64 limit,
                                                                bool *isText)
{
    // Each chunk is decoded as it is read, so the bytes are never held beside the text. The size a
    // device reports only sizes the text; it is never taken as its end.
    constexpr qint64 chunk = qint64(1) << 20;
    QByteArray buffer(chunk, Qt::Uninitialized);
    // The first bytes, until there are two: they tell the encoding.
    QByteArray head;
    std::optional<QStringDecoder> decoder;
    bool utf8 = true;
    bool hasNul = false;
    QString text;
    const auto decode = [&](QByteArrayView bytes) {
        hasNul = hasNul || (utf8 && bytes.contains('\0'));
        text += (*decoder)(bytes);
    };
    qint64 size = 0;
    for (;;) {
        const qint64 got = device.read(buffer.data(), std::min(chunk, limit + 1 - size));
        if (got < 0)
            return std::nullopt;
        size += got;
        if (size > limit)
            return std::nullopt;
        const QByteArrayView bytes(buffer.constData(), got);
        if (decoder) {
            decode(bytes);
        } else {
            const qint64 taken = std::min<qint64>(got, 2 - head.size());
            head += bytes.first(taken);
            if (head.size() < 2 && got > 0)
                continue;
            // UTF-16 is recognised only by its byte order mark; everything else is read as UTF-8,
            // whose mark the decoder drops.
            auto encoding = QStringConverter::Utf8;
            if (head.startsWith("\xff\xfe"))
                encoding = QStringConverter::Utf16LE;
            else if (head.startsWith("\xfe\xff"))
                encoding = QStringConverter::Utf16BE;
            utf8 = encoding == QStringConverter::Utf8;
            decoder.emplace(encoding);
            const qint64 expected = std::min(std::max(device.size(), qint64(0)), limit);
            text.reserve(utf8 ? expected : expected / 2);
            decode(head);
            decode(bytes.sliced(taken));
        }
        if (got == 0)
            break;
    }
    // Text holds no NUL byte, but in UTF-16.
    if (isText)
        *isText = !hasNul;
    return text;
}

void TimesDistributionDialog::redraw()
{
    form->display->repaint();
    describeChart();
}

namespace {

// Shown as plain text even where a session or file name looks like markup.
QString asPlainText(const QString &text)
{
    return Qt::mightBeRichText(text)
        ? QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(text.toHtmlEscaped())
        : text;
}

// The word a cuber would use for a chart colour: "blue" for the first list's default, "orange" for
// the second's.
QString colourName(const QColor &colour)
{
    const QColor hsl = colour.toHsl();
    const int hue = hsl.hslHue();
    const int lightness = hsl.lightness();
    if (hsl.hslSaturation() < 40 || hue < 0)
        return lightness < 60 ? DialogText::tr("black")
            : lightness > 200 ? DialogText::tr("white")
                              : DialogText::tr("grey");
    if (lightness < 30)
        return DialogText::tr("black");
    const struct
    {
        int below;
        const char *name;
    } hues[] = {{15, QT_TRANSLATE_NOOP("DialogText", "red")},
                {45, QT_TRANSLATE_NOOP("DialogText", "orange")},
                {70, QT_TRANSLATE_NOOP("DialogText", "yellow")},
                {165, QT_TRANSLATE_NOOP("DialogText", "green")},
                {190, QT_TRANSLATE_NOOP("DialogText", "cyan")},
                {260, QT_TRANSLATE_NOOP("DialogText", "blue")},
                {290, QT_TRANSLATE_NOOP("DialogText", "purple")},
                {340, QT_TRANSLATE_NOOP("DialogText", "pink")},
                {361, QT_TRANSLATE_NOOP("DialogText", "red")}};
    for (const auto &range : hues) {
        if (hue < range.below)
            return DialogText::tr(range.name);
    }
    return {};
}

} // namespace

// At the widget the user acted on, and in the note over the chart, which stays until the next
// command: a tooltip alone vanishes when a dialog gives the window back.
void TimesDistributionDialog::tell(QWidget *at, const QString &text, bool warning,
                                   const QString &noteText)
{
    QToolTip::showText(at->mapToGlobal(at->rect().center()), asPlainText(text), at);
    noteBar->showNote(noteText.isEmpty() ? text : noteText,
                      warning ? NoteBar::Kind::Warning : NoteBar::Kind::Information);
}

QString TimesDistributionDialog::statisticsText() const
{
    return statisticsText(chartScene());
}

QString TimesDistributionDialog::statisticsText(const ChartScene &scene)
{
    const auto describe = [](const ListLabel &label, const TimeList &times, bool primary) {
        QString text = label.shownName(primary) + QStringLiteral(" (") + timesCount(times.size());
        if (!label.period.isEmpty())
            text += QStringLiteral(", ") + label.period;
        text += u')';
        return text;
    };
    std::vector<TimeStatistics> columns;
    QStringList heading {tr("Statistic")};
    for (const bool primary : {true, false}) {
        const TimeList &times = primary ? scene.primaryTimes : scene.secondaryTimes;
        if (times.isEmpty())
            continue;
        heading << describe(primary ? scene.primaryLabel : scene.secondaryLabel, times, primary);
        columns.push_back(SummaryStatistics::of(times));
    }
    if (columns.empty())
        return {};
    QStringList rows {heading.join(u'\t')};
    const std::pair<QString, float (TimeStatistics::*)() const> fields[]
        = {{QStringLiteral("Best"), &TimeStatistics::best},
           {QStringLiteral("Worst"), &TimeStatistics::worst},
           {QStringLiteral("Average"), &TimeStatistics::average},
           {QStringLiteral("Median"), &TimeStatistics::median},
           {QStringLiteral("MoXAo5"), &TimeStatistics::meanOfAveragesOfFive}};
    for (const auto &[label, value] : fields) {
        QStringList row {label};
        for (const TimeStatistics &statistics : columns)
            row << QString::number((statistics.*value)(), 'f', 2);
        rows << row.join(u'\t');
    }
    return rows.join(u'\n') + u'\n';
}

void TimesDistributionDialog::copyStatistics()
{
    const QString text = statisticsText();
    if (text.isEmpty()) {
        tell(form->clipboardButton, tr("No times to copy statistics of"), true);
        return;
    }
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
    tell(form->clipboardButton, tr("Statistics copied"));
}

// A text without times replaces the list too: it is the only way to clear a list. An empty
// text changes nothing, nor does a choice of session the user cancels.
void TimesDistributionDialog::takeText(TimeList &target, const QString &text, Source source,
                                       QWidget *at)
{
    const bool primary = &target == &primaryTimes;
    const WaitCursor wait(text.size() >= largeText);
    if (text.isEmpty()) {
        const QString reason = source == Source::Clipboard ? tr("The clipboard holds no text")
            : source == Source::DroppedText                ? tr("The dropped text is empty")
                                                           : tr("The dropped file is empty");
        redraw();
        tell(at, reason + QStringLiteral("; ") + listUnchanged(primary), true);
        return;
    }
    std::shared_ptr<SessionSet> read;
    try {
        read = std::make_shared<SessionSet>(TimeReaders::readSessions(text));
    } catch (const std::bad_alloc &) {
        // A text can ask for more memory than the machine has; the list and the window stay.
        redraw();
        tell(at, tr("The text is too large to read; ") + listUnchanged(primary), true);
        return;
    }
    ListSource choice {read, read->current, {}};
    const bool several = read->filledCount() > 1;
    if (several && !chooseSession(choice)) {
        redraw();
        tell(at, tr("No session chosen; ") + listUnchanged(primary), true);
        return;
    }
    takeChoice(target, std::move(choice), source, at, several);
}

bool TimesDistributionDialog::chooseSession(ListSource &choice)
{
    SessionChooser chooser(*choice.text, choice.session, choice.period, this);
    // The wait cursor of a large paste gives way while the user chooses.
    const bool waiting = QGuiApplication::overrideCursor();
    if (waiting)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = chooser.exec() == QDialog::Accepted;
    if (waiting)
        QGuiApplication::restoreOverrideCursor();
    if (!accepted)
        return false;
    choice.session = chooser.session();
    choice.period = chooser.period();
    return true;
}

void TimesDistributionDialog::takeChoice(TimeList &target, ListSource choice, Source source,
                                         QWidget *at, bool chosen)
{
    const bool primary = &target == &primaryTimes;
    ParsedTimes parsed = choice.text->choose(choice.session, choice.period);
    QString message = parsed.summary();
    const bool nothing = parsed.times.isEmpty();
    if (nothing) {
        if (chosen && !parsed.noSolves) {
            redraw();
            tell(at, tr("No times in that choice; ") + listUnchanged(primary), true);
            return;
        }
        const QString reason = !message.isEmpty() ? message
            : source == Source::Clipboard         ? tr("No times found in the clipboard")
            : source == Source::DroppedText       ? tr("No times found in the dropped text")
                                                  : tr("No times found in the dropped file");
        message = reason + QStringLiteral("; ") + listNowEmpty(primary);
    }
    (primary ? primaryLabel : secondaryLabel) = listLabel(*choice.text, choice.session, parsed);
    target = std::move(parsed.times);
    // "First list (blue): read 118 times ..."
    const QString list = primary ? tr("First list (%1)") : tr("Second list (%1)");
    const QString note = list.arg(colourName(primary ? mainColor : secondaryColor))
        + QStringLiteral(": ")
        + (message.isEmpty() ? message : message.front().toLower() + message.sliced(1));
    // The note stays where the user looks for it until the list changes again.
    QPushButton *button = primary ? form->pasteButton : form->pasteButton_2;
    button->setToolTip(asPlainText(message));
    // A list that holds nothing has nothing to choose again from.
    (primary ? form->chooseAction : form->chooseAction_2)->setEnabled(!target.isEmpty());
    (primary ? primarySource : secondarySource) = std::move(choice);
    redraw();
    tell(at, message, nothing, note);
}

// The key names the list as the note does, with the dates its times span.
ListLabel TimesDistributionDialog::listLabel(const SessionSet &text, qsizetype session,
                                             const ParsedTimes &parsed)
{
    ListLabel label {parsed.session, parsed.period};
    if (label.period.isEmpty() && !parsed.times.isEmpty()) {
        const Session &chosen = text.sessions.value(session);
        if (chosen.hasDates() && chosen.firstDate().isValid())
            label.period = tr("%1 to %2")
                               .arg(chosen.firstDate().toString(Qt::ISODate),
                                    chosen.lastDate().toString(Qt::ISODate));
    }
    return label;
}

void TimesDistributionDialog::chooseAgain(bool primary)
{
    ListSource choice = primary ? primarySource : secondarySource;
    QWidget *button = primary ? form->pasteButton : form->pasteButton_2;
    if (!choice.text)
        return;
    if (!chooseSession(choice)) {
        tell(button, tr("No session chosen; ") + listUnchanged(primary), true);
        return;
    }
    takeChoice(primary ? primaryTimes : secondaryTimes, std::move(choice), Source::Clipboard,
               button, true);
}

void TimesDistributionDialog::pasteInto(TimeList &target, QWidget *button)
{
    takeText(target, QGuiApplication::clipboard()->text(QClipboard::Clipboard), Source::Clipboard,
             button);
}

bool TimesDistributionDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (form && watched == form->display && event->type() == QEvent::Resize)
        noteBar->place();
    if (form && watched == form->display && event->type() == QEvent::Paint) {
        QPainter painter(form->display);
        Chart::paint(painter, chartScene());
        return true;
    }
    if (form && filterInput(watched, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

// Return in the title ends the edit; it used to press "Paste data" with whatever the clipboard
// held. Text or one file dropped on the chart goes to the first list, on "Paste 2nd Data" to the
// second; only a copy is accepted, so the source never deletes what it dropped.
bool TimesDistributionDialog::filterInput(QObject *watched, QEvent *event)
{
    // The chart takes no focus itself; a click on it leaves the title, so that Ctrl+V pastes times.
    if (watched == form->display && event->type() == QEvent::MouseButtonPress) {
        form->pasteButton->setFocus(Qt::MouseFocusReason);
        return false;
    }
    if (watched == form->nameEdit) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        form->pasteButton->setFocus(Qt::TabFocusReason);
        return true;
    }

    const bool onPaste = watched == form->pasteButton || watched == form->pasteButton_2;
    // The paste buttons take the focus from the left button only: after a right click for their
    // menu, Return still goes where it went.
    if (onPaste && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        static_cast<QWidget *>(watched)->setFocus(Qt::MouseFocusReason);
        return false;
    }
    if (onPaste && event->type() == QEvent::ContextMenu) {
        auto *button = static_cast<QWidget *>(watched);
        auto *request = static_cast<QContextMenuEvent *>(event);
        QMenu menu(button);
        menu.addActions(button->actions());
        // From the Menu key the first command is highlighted, so that Return takes it at once.
        const QList<QAction *> commands = button->actions();
        const auto first = std::find_if(commands.cbegin(), commands.cend(),
                                        [](const QAction *action) { return action->isEnabled(); });
        if (request->reason() == QContextMenuEvent::Keyboard && first != commands.cend())
            menu.setActiveAction(*first);
        menu.exec(request->globalPos());
        return true;
    }

    const bool primary = watched == form->display;
    if (!primary && watched != form->pasteButton_2)
        return false;
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;

    auto *drop = static_cast<QDropEvent *>(event);
    const QMimeData *data = drop->mimeData();
    QStringList files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    if (!(drop->possibleActions() & Qt::CopyAction) || (files.isEmpty() && !data->hasText())) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type != QEvent::Drop)
        return true;

    TimeList &target = primary ? primaryTimes : secondaryTimes;
    auto *at = static_cast<QWidget *>(watched);
    if (files.isEmpty())
        takeText(target, data->text(), Source::DroppedText, at);
    else if (files.size() > 1)
        tell(at, tr("Drop one file at a time") + QStringLiteral("; ") + listUnchanged(primary),
             true);
    else
        takeFile(target, files.constFirst(), at);
    return true;
}

void TimesDistributionDialog::takeFile(TimeList &target, const QString &path, QWidget *at)
{
    QString text;
    const WaitCursor wait(QFileInfo(path).size() >= largeText);
    const QString problem = readDroppedFile(path, text);
    if (problem.isEmpty())
        takeText(target, text, Source::DroppedFile, at);
    else
        tell(at, problem + QStringLiteral("; ") + listUnchanged(&target == &primaryTimes), true);
}

void TimesDistributionDialog::openFile(const QString &path, bool primary)
{
    takeFile(primary ? primaryTimes : secondaryTimes, path,
             primary ? form->display : form->pasteButton_2);
}

QString TimesDistributionDialog::readFile(const QString &path, QString &text)
{
    return readDroppedFile(path, text);
}

void TimesDistributionDialog::chooseColor(QColor &color, const QString &title)
{
    const QColor chosen = QColorDialog::getColor(color, this, title);
    // A cancelled dialog answers with an invalid colour; keep the one the chart has.
    if (chosen.isValid())
        color = chosen;
    raise();
    // Return pastes again, rather than opening the colour dialog once more.
    form->pasteButton->setFocus(Qt::OtherFocusReason);
    redraw();
}

void TimesDistributionDialog::on_pasteButton_clicked()
{
    pasteInto(primaryTimes, form->pasteButton);
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
    pasteInto(secondaryTimes, form->pasteButton_2);
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
