#include "app/form/timesdistributionform.h"
#include "app/timesdistributiondialog.h"
#include "chart/imagefile.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QWidget>

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

namespace {

// Paths and file names show as they are, even where they look like markup.
QMessageBox::StandardButton warn(QWidget *parent, const QString &text,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok)
{
    QMessageBox box(QMessageBox::Warning, TimesDistributionDialog::tr("Save chart to disk"), text,
                    buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (buttons & QMessageBox::No)
        box.setDefaultButton(QMessageBox::No);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

void TimesDistributionDialog::on_clipboardButton_clicked()
{
    const QPixmap image = renderChart();
    QGuiApplication::clipboard()->setPixmap(image, QClipboard::Clipboard);
    // Return now pastes the next session instead of copying the chart over it. Focus first: a
    // focus change hides the note.
    form->pasteButton->setFocus(Qt::OtherFocusReason);
    tell(form->clipboardButton,
         tr("Chart copied (%1 x %2)").arg(image.width()).arg(image.height()));
}

void TimesDistributionDialog::on_saveButton_clicked()
{
    using ImageFile::Format;
    QList<std::pair<QString, Format>> types = {{tr("Images (*.png)"), Format::Png},
                                               {tr("PDF documents (*.pdf)"), Format::Pdf},
                                               {tr("SVG images (*.svg)"), Format::Svg}};
    types.removeIf([](const auto &type) { return !ImageFile::formats().contains(type.second); });
    QStringList filters;
    for (const auto &type : types)
        filters << type.first;
    QFileDialog chooser(this, tr("Save chart to disk"),
                        saveFolder.isEmpty() ? QDir::currentPath() : saveFolder);
    chooser.setNameFilters(filters);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    // Asked here instead: the dialog's question misses a link that leads nowhere, and reads a
    // name as markup. No default suffix either: the one added below follows the type chosen.
    chooser.setOption(QFileDialog::DontConfirmOverwrite);
    chooser.selectFile(chartFileName(form->nameEdit->text()));

    QString fileName;
    Format format = Format::Png;
    for (;;) {
        const bool accepted = chooser.exec() == QDialog::Accepted;
        // Saved or not, Return then pastes rather than opening the dialog again.
        form->pasteButton->setFocus(Qt::OtherFocusReason);
        if (!accepted)
            return;
        const QString chosen = chooser.selectedFiles().value(0);
        if (chosen.isEmpty())
            return;
        // A suffix typed names the format; any other ("chart.jpg") gets the chosen type's.
        fileName = chosen;
        if (const std::optional<Format> typed = ImageFile::formatOf(fileName)) {
            format = *typed;
        } else {
            const auto type = std::find_if(std::begin(types), std::end(types), [&](auto &t) {
                return t.first == chooser.selectedNameFilter();
            });
            format = type != std::end(types) ? type->second : Format::Png;
            fileName += u'.' + ImageFile::suffix(format);
        }
        // A folder, pipe or device is no file to replace: the writer says why it cannot be
        // written, without a question first.
        const QFileInfo info(fileName);
        const bool link = info.isSymbolicLink();
        if (!link && !info.isFile())
            break;
        const QString question = link
            ? tr("%1 is a link.\nDo you want to replace the link itself? What it leads to stays "
                 "as it is.")
            : tr("%1 already exists.\nDo you want to replace it?");
        if (warn(this, question.arg(info.fileName()), QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes)
            break;
    }
    saveFolder = QFileInfo(fileName).absolutePath();

    const QString error = ImageFile::write(chartScene(), format, fileName);
    if (!error.isEmpty()) {
        warn(this,
             tr("The chart could not be saved to %1.\n\n%2")
                 .arg(QDir::toNativeSeparators(fileName), error));
        return;
    }
    tell(form->saveButton,
         tr("Saved to %1").arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath())));
}

// "3x3: May 13 vs. May 29" gives "3x3-may-13-vs-may-29.png": letters and digits of any script,
// each run of anything else one hyphen, so nothing a file system on Linux or Windows refuses.
QString TimesDistributionDialog::chartFileName(const QString &title)
{
    constexpr qsizetype longestStem = 80;
    QString stem;
    bool gap = false;
    for (const char32_t c : title.toLower().toUcs4()) {
        if (QChar::isLetterOrNumber(c) || QChar::category(c) == QChar::Mark_NonSpacing) {
            if (gap && !stem.isEmpty())
                stem += QLatin1Char('-');
            gap = false;
            stem += QString::fromUcs4(&c, 1);
        } else {
            gap = true;
        }
        if (stem.size() >= longestStem)
            break;
    }
    if (stem.isEmpty())
        return QStringLiteral("chart.png");
    // Windows keeps these names for devices, whatever the suffix.
    static const QRegularExpression deviceName(
        QStringLiteral("^(con|prn|aux|nul|com[1-9]|lpt[1-9])$"));
    if (deviceName.match(stem).hasMatch())
        stem += QStringLiteral("-chart");
    return stem + QStringLiteral(".png");
}
