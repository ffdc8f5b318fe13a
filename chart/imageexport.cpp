#include "app/form/timesdistributionform.h"
#include "app/timesdistributiondialog.h"
#include "chart/pngwriter.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

QPixmap TimesDistributionDialog::renderChart()
{
    return renderChart(form->display->devicePixelRatioF());
}

QPixmap TimesDistributionDialog::renderChart(qreal devicePixelRatio)
{
    const QRect display(QPoint(0, 0), form->display->size());
    QPixmap image(display.size() * devicePixelRatio);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // An image's viewport counts its device pixels; the chart is laid out in the display's own.
    painter.setViewport(display);
    painter.setWindow(display);
    paintChart(painter);
    painter.end();
    return image;
}

void TimesDistributionDialog::on_clipboardButton_clicked()
{
    QGuiApplication::clipboard()->setPixmap(renderChart(), QClipboard::Clipboard);
}

void TimesDistributionDialog::on_saveButton_clicked()
{
    QString fileName = QFileDialog::getSaveFileName(this, tr("Save chart to disk"),
                                                    QDir::currentPath(), tr("Images (*.png)"));
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QLatin1String(".png")))
        fileName += QLatin1String(".png");

    const QString error = PngWriter::write(renderChart(), fileName);
    if (!error.isEmpty()) {
        QMessageBox::warning(this, tr("Save chart to disk"),
                             tr("The chart could not be saved to %1.\n\n%2")
                                 .arg(QDir::toNativeSeparators(fileName), error));
    }
}
