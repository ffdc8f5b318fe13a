#pragma once

#include "data/sessions.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

// Which session of a text to chart, and which period of it: the session and the whole period the
// paste would read unasked are chosen at opening, so that Return takes them at once.
class SessionChooser : public QDialog
{
    Q_OBJECT

public:
    SessionChooser(const SessionSet &set, qsizetype session, const Period &period,
                   QWidget *parent = nullptr);

    qsizetype session() const;
    Period period() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    qsizetype sessionOf(const QTreeWidgetItem *row) const;
    Period periodOf(qsizetype session) const;
    void showSession(qsizetype session);
    void setPeriod(qsizetype lastSolves, QDate from, QDate to);
    void showCount();
    void fitScreen();

    const SessionSet &set;
    QTreeWidget *sessionList;
    QSpinBox *lastSolves;
    QDateEdit *fromDate;
    QDateEdit *toDate;
    QLabel *choiceCount;
    QPushButton *okButton = nullptr;
    QList<QPushButton *> monthPresets;
    // The dates last set on a session that has dates, kept over sessions without any.
    QDate keptFrom;
    QDate keptTo;
};
