#pragma once

#include <QCoreApplication>

// Everything the user reads is translated in one context, the dialog's, wherever it is written:
// DialogText::tr("...") outside the dialog's members, which have tr() of their own.
struct DialogText
{
    Q_DECLARE_TR_FUNCTIONS(TimesDistributionDialog)
};
