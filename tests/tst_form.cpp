#include "app/controls.h"
#include "app/timesdistributiondialog.h"
#include "testsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpacerItem>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Either a widget's object name or "spacer".
QString describe(QLayoutItem *item)
{
    if (item->spacerItem())
        return QStringLiteral("spacer");
    if (item->widget())
        return item->widget()->objectName();
    return QStringLiteral("?");
}

} // namespace

class FormTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window();
    void namesOccurOnce();
    void layoutOrder_data();
    void layoutOrder();
    void gapsAreExpandingSpacers_data();
    void gapsAreExpandingSpacers();
    void chartAreaTakesTheExtraWidth();
    void gapsShareTheExtraHeight();
    void smallFontOnExactlyFiveWidgets();
    void slidersStartAtTheirValues_data();
    void slidersStartAtTheirValues();
    void sliderPositionsAskOfTheChart_data();
    void sliderPositionsAskOfTheChart();
    void checkBoxesStartAtTheirStates_data();
    void checkBoxesStartAtTheirStates();
    void textsAndTooltips_data();
    void textsAndTooltips();
    void focusOrder();
    void returnClicksTheDefaultButton_data();
    void returnClicksTheDefaultButton();
    void escapeClosesTheWindow();
    void f1OpensTheAboutBox();

private:
    template<typename T = QObject> T *child(const QString &name) const
    {
        return dialog->findChild<T *>(name);
    }

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<TimesDistributionDialog> dialog;
};

void FormTest::init()
{
    settings = std::make_unique<IsolatedSettings>();
    dialog = std::make_unique<TimesDistributionDialog>();
}

void FormTest::cleanup()
{
    dialog.reset();
    settings.reset();
}

void FormTest::window()
{
    QCOMPARE_EQ(dialog->objectName(), QStringLiteral("TimesDistributionDialog"));
    QCOMPARE_EQ(dialog->windowTitle(),
                QStringLiteral("Tamberlin's Solvigram Times Distribution Charts"));
    QCOMPARE_EQ(dialog->size(), QSize(822, 392));
    // The offscreen screen is 800 x 600, too narrow for the window.
    dialog->fitToScreen();
    QCOMPARE_EQ(dialog->size(), QSize(800, 392));
    QVERIFY(!dialog->parentWidget());
    // "Paste data" is the one default button, so Return from a slider or check box pastes.
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        QCOMPARE_EQ(button->isDefault(), button->objectName() == QStringLiteral("pasteButton"));
        QVERIFY2(button->autoDefault(), qPrintable(button->objectName()));
    }
}

// Slots, shortcuts and tests find these by name, so each must occur exactly once.
void FormTest::namesOccurOnce()
{
    for (const char *name :
         {"display", "nameEdit", "sigmaSlider", "trimSlider", "showStatsCheck", "pasteButton",
          "chooseAction", "colorButton", "showQuartiles", "pasteButton_2", "chooseAction_2",
          "colorButton_2", "showQuartiles2", "clipboardButton", "saveButton"})
        QVERIFY2(dialog->findChildren<QObject *>(QString::fromLatin1(name)).size() == 1, name);
}

void FormTest::layoutOrder_data()
{
    QTest::addColumn<QString>("layoutName");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("marginless");

    QTest::newRow("window") << QStringLiteral("horizontalLayout")
                            << QStringList {QStringLiteral("display"), QStringLiteral("options")}
                            << false;
    QTest::newRow("control column")
        << QStringLiteral("verticalLayout")
        << QStringList {QStringLiteral("nameEdit"),        QStringLiteral("widget_4"),
                        QStringLiteral("widget_3"),        QStringLiteral("showStatsCheck"),
                        QStringLiteral("pasteButton"),     QStringLiteral("widget"),
                        QStringLiteral("spacer"),          QStringLiteral("pasteButton_2"),
                        QStringLiteral("widget_2"),        QStringLiteral("spacer"),
                        QStringLiteral("clipboardButton"), QStringLiteral("saveButton")}
        << true;
    QTest::newRow("detail row") << QStringLiteral("horizontalLayout_5")
                                << QStringList {QStringLiteral("label"),
                                                QStringLiteral("sigmaSlider")}
                                << true;
    QTest::newRow("trim row") << QStringLiteral("horizontalLayout_4")
                              << QStringList {QStringLiteral("label_2"),
                                              QStringLiteral("trimSlider")}
                              << true;
    QTest::newRow("primary row") << QStringLiteral("horizontalLayout_2")
                                 << QStringList {QStringLiteral("colorButton"),
                                                 QStringLiteral("showQuartiles")}
                                 << true;
    QTest::newRow("secondary row")
        << QStringLiteral("horizontalLayout_3")
        << QStringList {QStringLiteral("colorButton_2"), QStringLiteral("showQuartiles2")} << true;
}

void FormTest::layoutOrder()
{
    QFETCH(QString, layoutName);
    QFETCH(QStringList, items);
    QFETCH(bool, marginless);

    auto *layout = child<QBoxLayout>(layoutName);
    QVERIFY(layout);
    QStringList actual;
    for (int i = 0; i < layout->count(); ++i)
        actual << describe(layout->itemAt(i));
    QCOMPARE_EQ(actual, items);
    if (marginless)
        QCOMPARE_EQ(layout->contentsMargins(), QMargins(0, 0, 0, 0));
    else
        QCOMPARE_NE(layout->contentsMargins(), QMargins(0, 0, 0, 0));
}

void FormTest::gapsAreExpandingSpacers_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("gap above Paste 2nd Data") << 6;
    QTest::newRow("gap above To Clipboard") << 9;
}

void FormTest::gapsAreExpandingSpacers()
{
    QFETCH(int, index);
    QSpacerItem *spacer
        = child<QVBoxLayout>(QStringLiteral("verticalLayout"))->itemAt(index)->spacerItem();
    QVERIFY(spacer);
    QCOMPARE_EQ(spacer->sizeHint(), QSize(20, 40));
    QCOMPARE_EQ(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
    QCOMPARE_EQ(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
}

void FormTest::chartAreaTakesTheExtraWidth()
{
    auto *layout = child<QHBoxLayout>(QStringLiteral("horizontalLayout"));
    QCOMPARE_EQ(layout->stretch(0), 1);
    QCOMPARE_EQ(layout->stretch(1), 0);

    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto *display = child<QWidget>(QStringLiteral("display"));
    auto *options = child<QWidget>(QStringLiteral("options"));
    const int displayWidth = display->width();
    const int optionsWidth = options->width();
    dialog->resize(dialog->width() + 300, dialog->height());
    layout->activate();
    QCOMPARE_EQ(options->width(), optionsWidth);
    QCOMPARE_EQ(display->width(), displayWidth + 300);
}

void FormTest::gapsShareTheExtraHeight()
{
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const auto gapAbove = [this](const char *lower, const char *upper) {
        return child<QWidget>(QString::fromLatin1(lower))->geometry().top()
            - child<QWidget>(QString::fromLatin1(upper))->geometry().bottom();
    };
    const QStringList controls {QStringLiteral("nameEdit"),        QStringLiteral("widget_4"),
                                QStringLiteral("widget_3"),        QStringLiteral("showStatsCheck"),
                                QStringLiteral("pasteButton"),     QStringLiteral("widget"),
                                QStringLiteral("pasteButton_2"),   QStringLiteral("widget_2"),
                                QStringLiteral("clipboardButton"), QStringLiteral("saveButton")};
    const auto heights = [&] {
        QList<int> result;
        for (const QString &name : controls)
            result << child<QWidget>(name)->height();
        return result;
    };

    const int upperGap = gapAbove("pasteButton_2", "widget");
    const int lowerGap = gapAbove("clipboardButton", "widget_2");
    const QList<int> controlHeights = heights();
    const QRect topControl = child<QWidget>(QStringLiteral("nameEdit"))->geometry();

    dialog->resize(dialog->width(), dialog->height() + 400);
    dialog->layout()->activate();

    const int upperGrowth = gapAbove("pasteButton_2", "widget") - upperGap;
    const int lowerGrowth = gapAbove("clipboardButton", "widget_2") - lowerGap;
    QCOMPARE_EQ(upperGrowth + lowerGrowth, 400);
    QCOMPARE_LE(qAbs(upperGrowth - lowerGrowth), 1);
    QCOMPARE_EQ(heights(), controlHeights);
    QCOMPARE_EQ(child<QWidget>(QStringLiteral("nameEdit"))->geometry(), topControl);
}

void FormTest::smallFontOnExactlyFiveWidgets()
{
    const QStringList small {QStringLiteral("showStatsCheck"), QStringLiteral("colorButton"),
                             QStringLiteral("showQuartiles"), QStringLiteral("colorButton_2"),
                             QStringLiteral("showQuartiles2")};
    const QFont standard = QApplication::font();
    QStringList withOwnFont;
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (widget->testAttribute(Qt::WA_SetFont))
            withOwnFont << widget->objectName();
        if (small.contains(widget->objectName())) {
            QCOMPARE_EQ(widget->font().pointSize(), 10);
            QCOMPARE_EQ(widget->font().family(), standard.family());
            QCOMPARE_EQ(widget->font().weight(), standard.weight());
        } else {
            QCOMPARE_EQ(widget->font().pointSizeF(), standard.pointSizeF());
        }
    }
    withOwnFont.sort();
    QStringList expected = small;
    expected.sort();
    QCOMPARE_EQ(withOwnFont, expected);
}

void FormTest::slidersStartAtTheirValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");

    QTest::newRow("Detail in the middle") << QStringLiteral("sigmaSlider") << 0 << 999 << 500;
    QTest::newRow("Trim at its right end") << QStringLiteral("trimSlider") << 1 << 1000 << 1000;
}

void FormTest::slidersStartAtTheirValues()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);

    auto *slider = child<QSlider>(name);
    QVERIFY(slider);
    QCOMPARE_EQ(slider->orientation(), Qt::Horizontal);
    QCOMPARE_EQ(slider->minimum(), minimum);
    QCOMPARE_EQ(slider->maximum(), maximum);
    QCOMPARE_EQ(slider->value(), value);
    QCOMPARE_EQ(slider->tickPosition(), QSlider::NoTicks);
}

void FormTest::sliderPositionsAskOfTheChart_data()
{
    QTest::addColumn<int>("detail");
    QTest::addColumn<int>("trim");
    QTest::addColumn<float>("kernelWidth");
    QTest::addColumn<bool>("finePoints");
    QTest::addColumn<float>("trimShare");

    QTest::newRow("both at their left ends") << 0 << 1 << 2.0f << false << 0.001f;
    QTest::newRow("both where they start") << 500 << 1000 << 1.0f << false << 1.0f;
    QTest::newRow("just above Detail's start") << 501 << 500 << 0.998f << true << 0.5f;
    // About 0.002: 1 - 0.999 in float is 0.00099998713.
    QTest::newRow("Detail at its right end") << 999 << 999 << 0.0019999743f << true << 0.999f;
}

void FormTest::sliderPositionsAskOfTheChart()
{
    QFETCH(int, detail);
    QFETCH(int, trim);
    QFETCH(float, kernelWidth);
    QFETCH(bool, finePoints);
    QFETCH(float, trimShare);

    ChartScene scene;
    Controls::setSliders(scene, detail, trim);
    QCOMPARE(scene.kernelWidth, kernelWidth);
    QCOMPARE_EQ(scene.finePoints, finePoints);
    QCOMPARE(scene.trimShare, trimShare);
}

void FormTest::checkBoxesStartAtTheirStates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checked");

    QTest::newRow("Show Stats") << QStringLiteral("showStatsCheck") << true;
    QTest::newRow("primary Quartiles") << QStringLiteral("showQuartiles") << true;
    QTest::newRow("secondary Quartiles") << QStringLiteral("showQuartiles2") << false;
}

void FormTest::checkBoxesStartAtTheirStates()
{
    QFETCH(QString, name);
    QFETCH(bool, checked);

    auto *box = child<QCheckBox>(name);
    QVERIFY(box);
    QCOMPARE_EQ(box->isChecked(), checked);
}

void FormTest::textsAndTooltips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("explained");
    // What a screen reader calls it; nothing for what is no widget.
    QTest::addColumn<QString>("accessibleName");

    const auto row
        = [](const char *name, const char *text, bool explained, const char *accessibleName) {
              QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text)
                                  << explained << QString::fromUtf8(accessibleName);
          };
    row("display", "", false, "Chart");
    row("nameEdit", "Chart Title", true, "Chart title");
    row("label", "Detail", false, "Detail");
    row("sigmaSlider", "", true, "Detail");
    row("label_2", "Trim", false, "Trim");
    row("trimSlider", "", true, "Trim");
    row("showStatsCheck", "Show Stats", true, "Show Stats");
    row("pasteButton", "Paste data", false, "Paste data into the first list");
    row("chooseAction", "Choose session and period…", true, "");
    row("colorButton", "Color", true, "Color of the first list");
    row("showQuartiles", "Quartiles", true, "Quartiles of the first list");
    row("pasteButton_2", "Paste 2nd Data", false, "Paste 2nd Data into the second list");
    row("chooseAction_2", "Choose session and period…", true, "");
    row("colorButton_2", "Color", true, "Color of the second list");
    row("showQuartiles2", "Quartiles", true, "Quartiles of the second list");
    row("clipboardButton", "To Clipboard", true, "To Clipboard");
    row("saveButton", "Save", true, "Save");
}

// The paste buttons' tooltips are the notes of their lists, empty until a paste.
void FormTest::textsAndTooltips()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, explained);
    QFETCH(QString, accessibleName);

    QObject *object = child(name);
    QVERIFY(object);
    if (auto *widget = qobject_cast<QWidget *>(object))
        QCOMPARE_EQ(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name),
                    accessibleName);
    QCOMPARE_EQ(object->property("text").toString(), text);
    QCOMPARE_EQ(!object->property("toolTip").toString().isEmpty(), explained);
}

void FormTest::focusOrder()
{
    QWidget *first = child<QWidget>(QStringLiteral("nameEdit"));
    QStringList order;
    QWidget *widget = first;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first && order.size() <= 20);

    const QStringList expected {QStringLiteral("nameEdit"),        QStringLiteral("sigmaSlider"),
                                QStringLiteral("trimSlider"),      QStringLiteral("showStatsCheck"),
                                QStringLiteral("pasteButton"),     QStringLiteral("colorButton"),
                                QStringLiteral("showQuartiles"),   QStringLiteral("pasteButton_2"),
                                QStringLiteral("colorButton_2"),   QStringLiteral("showQuartiles2"),
                                QStringLiteral("clipboardButton"), QStringLiteral("saveButton")};
    QCOMPARE_EQ(order, expected);
}

void FormTest::returnClicksTheDefaultButton_data()
{
    QTest::addColumn<QString>("focusName");
    QTest::addColumn<bool>("clickChart");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("intoList");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<QString>("title");

    const QKeySequence ret(Qt::Key_Return);
    const QKeySequence paste(QKeySequence::Paste);
    const QString chartTitle = QStringLiteral("Chart Title");
    QTest::newRow("Return at start pastes the primary list")
        << QString() << false << ret << 1 << QStringLiteral("pasteButton") << chartTitle;
    QTest::newRow("Ctrl+V at start pastes the primary list")
        << QString() << false << paste << 1 << QStringLiteral("pasteButton") << chartTitle;
    QTest::newRow("Ctrl+Shift+V at start pastes the secondary list")
        << QString() << false << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V) << 2
        << QStringLiteral("pasteButton") << chartTitle;
    QTest::newRow("Return in the title ends the edit, pastes nothing")
        << QStringLiteral("nameEdit") << false << ret << 0 << QStringLiteral("pasteButton")
        << chartTitle;
    QTest::newRow("Enter in the title ends the edit, pastes nothing")
        << QStringLiteral("nameEdit") << false << QKeySequence(Qt::Key_Enter) << 0
        << QStringLiteral("pasteButton") << chartTitle;
    QTest::newRow("Ctrl+V in the title pastes into the title")
        << QStringLiteral("nameEdit") << false << paste << 0 << QStringLiteral("nameEdit")
        << QStringLiteral("Chart Title12.5, 13");
    QTest::newRow("Return on a slider pastes the primary list")
        << QStringLiteral("sigmaSlider") << false << ret << 1 << QStringLiteral("sigmaSlider")
        << chartTitle;
    QTest::newRow("Return on Paste 2nd Data pastes the secondary list")
        << QStringLiteral("pasteButton_2") << false << ret << 2 << QStringLiteral("pasteButton_2")
        << chartTitle;
    QTest::newRow("Return on To Clipboard copies once, then Paste data has the focus")
        << QStringLiteral("clipboardButton") << false << ret << 0 << QStringLiteral("pasteButton")
        << chartTitle;
    QTest::newRow("Ctrl+V after a click on the chart pastes the times, not into the title")
        << QStringLiteral("nameEdit") << true << paste << 1 << QStringLiteral("pasteButton")
        << chartTitle;
}

void FormTest::returnClicksTheDefaultButton()
{
    QFETCH(QString, focusName);
    QFETCH(bool, clickChart);
    QFETCH(QKeySequence, keys);
    QFETCH(int, intoList);
    QFETCH(QString, focusAfter);
    QFETCH(QString, title);

    QGuiApplication::clipboard()->setText(QStringLiteral("12.5, 13"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    auto *target = focusName.isEmpty() ? child<QWidget>(QStringLiteral("pasteButton"))
                                       : child<QWidget>(focusName);
    if (!focusName.isEmpty())
        target->setFocus();
    QTRY_COMPARE_EQ(QApplication::focusWidget(), target);
    if (clickChart)
        QTest::mouseClick(child<QWidget>(QStringLiteral("display")), Qt::LeftButton);

    QTest::keySequence(QApplication::focusWidget(), keys);
    const TimeList pasted {12.5f, 13.0f};
    QCOMPARE_EQ(dialog->primaryTimeList(), intoList == 1 ? pasted : TimeList {});
    QCOMPARE_EQ(dialog->secondaryTimeList(), intoList == 2 ? pasted : TimeList {});
    QCOMPARE_EQ(QApplication::focusWidget(), child<QWidget>(focusAfter));
    QCOMPARE_EQ(child<QLineEdit>(QStringLiteral("nameEdit"))->text(), title);
    QVERIFY(dialog->isVisible());
}

void FormTest::escapeClosesTheWindow()
{
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QTest::keyClick(child<QWidget>(QStringLiteral("nameEdit")), Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE_EQ(dialog->result(), int(QDialog::Rejected));
}

// The version is the one --version prints; About Qt comes back to the box.
void FormTest::f1OpensTheAboutBox()
{
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QStringList seen;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || seen.size() > 3)
            return;
        seen << box->windowTitle();
        if (seen.size() == 1) {
            QVERIFY(box->text().contains(QStringLiteral("Solvigram Charts " SOLVIGRAM_VERSION)));
            QVERIFY(box->text().contains(QStringLiteral("MIT")));
            QVERIFY(box->text().contains(QStringLiteral("Qt ") + QString::fromLatin1(qVersion())));
            QPushButton *aboutQt = nullptr;
            for (QAbstractButton *button : box->buttons())
                aboutQt
                    = button->text() == u"About Qt" ? qobject_cast<QPushButton *>(button) : aboutQt;
            QVERIFY(aboutQt);
            aboutQt->click();
        } else {
            box->button(QMessageBox::Close) ? box->button(QMessageBox::Close)->click()
                                            : box->accept();
        }
    });
    poll.start();
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    QCOMPARE_EQ(seen,
                QStringList({QStringLiteral("About Solvigram Charts"), QStringLiteral("About Qt"),
                             QStringLiteral("About Solvigram Charts")}));
    QVERIFY(dialog->isVisible());
}

QTEST_MAIN(FormTest)
#include "tst_form.moc"
