#include "app/timesdistributiondialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

// Name, version, licence and home, and the Qt it runs on: the Windows zip ships Qt's DLLs under
// the LGPL, whose texts lie beside the program.
void TimesDistributionDialog::showAbout()
{
    QString text = tr("<h3>Solvigram Charts %1</h3>"
                      "<p>Distribution charts of speedcubing solve times.</p>"
                      "<p>Released under the MIT licence.<br>Home: <a href=\"%2\">%2</a></p>"
                      "<p>Running on Qt %3.</p>")
                       .arg(QStringLiteral(SOLVIGRAM_VERSION), QStringLiteral(SOLVIGRAM_HOME),
                            QString::fromLatin1(qVersion()));
#ifdef Q_OS_WIN
    const QString licenses = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()
                                                      + QStringLiteral("/licenses"));
    text += tr("<p>The licences of Qt and of the other parts shipped with the program are in the "
               "folder licenses beside it: %1</p>")
                .arg(licenses.toHtmlEscaped());
#endif
    QMessageBox box(QMessageBox::NoIcon, tr("About Solvigram Charts"), text, QMessageBox::Close,
                    this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.setTextFormat(Qt::RichText);
    box.setIconPixmap(QIcon(QStringLiteral(":/artwork.png")).pixmap(64));
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setOpenExternalLinks(true);
    QPushButton *aboutQt = box.addButton(tr("About Qt"), QMessageBox::HelpRole);
    // Every button of a message box closes it; after Qt's own box, this one comes back.
    while (box.exec() >= 0 && box.clickedButton() == aboutQt)
        QMessageBox::aboutQt(this);
}
