#pragma once

#include "chart/chart.h"
#include "data/parsedtimes.h"
#include "data/sessions.h"
#include "data/timelist.h"
#include "stats/timestatistics.h"

#include <QColor>
#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class NoteBar;
class QAction;
class QFont;
class QIODevice;
class QPainter;
class QPainterPath;
class QPixmap;
class QRectF;
struct TimesDistributionForm;

class TimesDistributionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TimesDistributionDialog(QWidget *parent = nullptr);
    ~TimesDistributionDialog() override;

    // Shrinks the window to the screen's free area where that is smaller (a small screen, or a
    // large scale factor); called once at start.
    void fitToScreen();

    bool eventFilter(QObject *watched, QEvent *event) override;

    // The computing operations read no state of the dialog.
    static TimeList parseTimeList(QString text);
    // The same reading, with what it recognised and skipped.
    static ParsedTimes readTimeList(QString text);
    static TimeStatistics computeStatistics(TimeList times);
    // low and high may be KernelDensity::lowestSample and highestSample, the samples' own ends.
    static std::vector<float> kernelDensity(const TimeList &samples, int points, float low,
                                            float high, float detail);
    static QPainterPath densityCurve(TimeList samples, float low, float high, float detail,
                                     int width, int height, int margin,
                                     std::vector<float> *normalisedOut);
    // What a dropped file holds, as text: read in chunks, never more than limit + 1 bytes whatever
    // size the device reports, then decoded as UTF-16 after its byte order mark, else as UTF-8.
    // Nothing when the device holds more than limit bytes or a read fails. isText, where given,
    // tells whether the bytes are text: no NUL byte outside UTF-16.
    static std::optional<QString> readDroppedText(QIODevice &device, qint64 limit,
                                                  bool *isText = nullptr);
    // The file name "Save" proposes for a chart of this title, safe on Linux and Windows.
    static QString chartFileName(const QString &title);

    // The chart as the display shows it, at the display's device pixel ratio.
    QPixmap renderChart();
    // The chart's overlays, drawn by the chart with its geometry and fonts. Quartile labels keep
    // clear of those in drawnLabels (the other curve's) and are added to it; a label that would
    // overlap a rectangle in keepClear (the statistics panel) is left out.
    static void drawQuartileMarkers(QPainter &painter, const std::vector<float> &values,
                                    int plotWidth, int plotHeight, const QFont &quartileFont,
                                    std::vector<QRectF> *drawnLabels = nullptr,
                                    const std::vector<QRectF> &keepClear = {});
    static void drawStatisticsPanel(QPainter &painter, const TimeList &primaryTimes,
                                    const TimeList &secondaryTimes, int width,
                                    const QFont &statsFont);

    // The statistics of each list with its name, count and period, a heading row and a row per
    // statistic, separated by tabs: it reads in a chat and pastes into a spreadsheet as a table.
    QString statisticsText() const;
    // The same table of a scene's lists and labels.
    static QString statisticsText(const ChartScene &scene);

    // Reads a file into a list as a file dropped on it is read: the first list as from the chart,
    // the second as from "Paste 2nd Data". A file that cannot be read leaves the list as it was,
    // and the note says why.
    void openFile(const QString &path, bool primary);
    // What a file dropped or named on the command line holds, as text, in `text`. Returns why it
    // cannot be read, or an empty string.
    static QString readFile(const QString &path, QString &text);
    // What the key and the statistics call the solves chosen from a text: the session's name and
    // the dates its times span.
    static ListLabel listLabel(const SessionSet &text, qsizetype session,
                               const ParsedTimes &parsed);

    const TimeList &primaryTimeList() const { return primaryTimes; }
    const TimeList &secondaryTimeList() const { return secondaryTimes; }
    QColor mainChartColor() const { return mainColor; }
    QColor secondaryChartColor() const { return secondaryColor; }

private slots:
    void on_pasteButton_clicked();
    void on_clipboardButton_clicked();
    void on_saveButton_clicked();
    void on_nameEdit_cursorPositionChanged(int arg1, int arg2);
    void on_sigmaSlider_valueChanged(int value);
    void on_trimSlider_valueChanged(int value);
    void on_colorButton_clicked();
    void on_pasteButton_2_clicked();
    void on_colorButton_2_clicked();
    void on_showQuartiles2_stateChanged(int arg1);
    void on_showQuartiles_stateChanged(int arg1);
    void on_showStatsCheck_stateChanged(int arg1);

private:
    // Where the text of a paste or drop came from, for what the user is told.
    enum class Source { Clipboard, DroppedText, DroppedFile };

    // What a list was last read from, kept until the list is replaced, so that another session
    // or period of it can be chosen without pasting again.
    struct ListSource
    {
        std::shared_ptr<const SessionSet> text;
        qsizetype session = 0;
        Period period;
    };

    void redraw();
    void pasteInto(TimeList &target, QWidget *button);
    void takeText(TimeList &target, const QString &text, Source source, QWidget *at);
    // Asks which session and period to read; false when the user cancels.
    bool chooseSession(ListSource &choice);
    // Puts the chosen solves in the list and says what was read. A choice in the chooser that
    // holds no time keeps the list as it was.
    void takeChoice(TimeList &target, ListSource choice, Source source, QWidget *at, bool chosen);
    void takeFile(TimeList &target, const QString &path, QWidget *at);
    void chooseAgain(bool primary);
    // Keys of the title field and drops on the chart and "Paste 2nd Data"; true when handled.
    bool filterInput(QObject *watched, QEvent *event);
    // Says what a command did, in the note over the chart and at the widget the user acted on.
    // The note may name more than the tooltip, as the list's colour.
    void tell(QWidget *at, const QString &text, bool warning = false,
              const QString &noteText = QString());
    void copyStatistics();
    void showAbout();
    // What a screen reader says of the chart: its title, and each list's name, number of times
    // and statistics, painted or not.
    QString chartDescription() const;
    void describeChart();
    void chooseColor(QColor &color, const QString &title);

    // What the chart shows now: the lists, colours and controls, at the display's size.
    ChartScene chartScene() const;

    std::unique_ptr<TimesDistributionForm> form;
    TimeList primaryTimes;
    TimeList secondaryTimes;
    ListSource primarySource;
    ListSource secondarySource;
    ListLabel primaryLabel;
    ListLabel secondaryLabel;
    NoteBar *noteBar = nullptr;
    QAction *showKeyAction = nullptr;
    QColor mainColor;
    QColor secondaryColor;
    // The folder of the last save in this run; empty until then. Never stored.
    QString saveFolder;
};
