#pragma once

#include "data/sessions.h"

#include <QDialog>

class QDateEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

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

private:
    void showSession();
    void setPeriod(qsizetype lastSolves, QDate from, QDate to);

    const SessionSet &set;
    QTreeWidget *sessionList;
    QSpinBox *lastSolves;
    QDateEdit *fromDate;
    QDateEdit *toDate;
    QList<QPushButton *> monthPresets;
};
