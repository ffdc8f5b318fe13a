#pragma once

// Drives the dialog the way a user does (clipboard text and the paste buttons, sliders, check
// boxes, the title field) and paints its chart on a recording device.

#include "app/timesdistributiondialog.h"
#include "recordingpaintengine.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTest>

class ChartDriver
{
public:
    void paste(const QString &text) { pasteWith(text, "pasteButton"); }
    void pasteSecondary(const QString &text) { pasteWith(text, "pasteButton_2"); }

    void setSlider(const char *name, int value)
    {
        auto *slider = dialog.findChild<QSlider *>(QString::fromLatin1(name));
        QVERIFY(slider);
        slider->setValue(value);
        QCOMPARE(slider->value(), value);
    }
    void setChecked(const char *name, bool checked)
    {
        auto *box = dialog.findChild<QCheckBox *>(QString::fromLatin1(name));
        QVERIFY(box);
        box->setChecked(checked);
    }
    void setTitle(const QString &title)
    {
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("nameEdit"));
        QVERIFY(edit);
        edit->setText(title);
    }
    // Quartile markers and the statistics panel off: the chart's own primitives only.
    void hideOverlays()
    {
        setChecked("showQuartiles", false);
        setChecked("showQuartiles2", false);
        setChecked("showStatsCheck", false);
    }

    QList<PaintRecord> paint(int width, int height)
    {
        RecordingPaintDevice device(width, height);
        QPainter painter(&device);
        dialog.paintChart(painter);
        painter.end();
        return device.records();
    }

    IsolatedSettings settings;
    TimesDistributionDialog dialog;

private:
    void pasteWith(const QString &text, const char *button)
    {
        QGuiApplication::clipboard()->setText(text);
        auto *pasteButton = dialog.findChild<QPushButton *>(QString::fromLatin1(button));
        QVERIFY(pasteButton);
        pasteButton->click();
    }
};
