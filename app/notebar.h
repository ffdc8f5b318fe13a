#pragma once

#include <QFrame>

class QLabel;
class QTimer;

// What the last command did, shown over the bottom edge of the chart until the next command or
// for a while, longer while the pointer rests on it. It is a widget over the chart, never part of
// the chart's image.
class NoteBar : public QFrame
{
    Q_OBJECT

public:
    enum class Kind { Information, Warning };

    explicit NoteBar(QWidget *parent);

    void showNote(const QString &text, Kind kind);
    QString text() const;
    // Keeps the bar along the bottom edge of its parent.
    void place();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QLabel *label;
    QTimer *timer;
};
