#include "app/notebar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int shownFor = 10'000;
constexpr int margin = 12;

} // namespace

NoteBar::NoteBar(QWidget *parent)
    : QFrame(parent)
    , label(new QLabel(this))
    , timer(new QTimer(this))
{
    setObjectName(QStringLiteral("noteBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    label->setObjectName(QStringLiteral("noteText"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *close = new QToolButton(this);
    close->setAutoRaise(true);
    // The note closes by itself; Tab keeps to the window's own controls.
    close->setFocusPolicy(Qt::NoFocus);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(tr("Close"));
    close->setAccessibleName(tr("Close the note"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(label, 1);
    layout->addWidget(close, 0, Qt::AlignTop);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &QWidget::hide);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void NoteBar::showNote(const QString &text, Kind kind)
{
    label->setText(text);
    // The colours of KDE's inline messages: blue for information, orange for a warning.
    const QColor tint = kind == Kind::Warning ? QColor(0xF6, 0x74, 0x00) : QColor(0x3D, 0xAE, 0xE9);
    QPalette colours = palette();
    colours.setColor(QPalette::Window,
                     QColor::fromRgbF(1.0f - 0.2f * (1.0f - tint.redF()),
                                      1.0f - 0.2f * (1.0f - tint.greenF()),
                                      1.0f - 0.2f * (1.0f - tint.blueF())));
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Light, tint);
    colours.setColor(QPalette::Dark, tint);
    colours.setColor(QPalette::Mid, tint);
    setPalette(colours);
    label->setPalette(colours);
    setProperty("warning", kind == Kind::Warning);
    place();
    show();
    raise();
    if (!underMouse())
        timer->start(shownFor);
}

QString NoteBar::text() const
{
    return label->text();
}

void NoteBar::place()
{
    if (!parentWidget())
        return;
    const int width = parentWidget()->width() - 2 * margin;
    const int height
        = std::min(heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height(),
                   parentWidget()->height() / 2);
    setGeometry(margin, parentWidget()->height() - margin - height, width, height);
}

void NoteBar::enterEvent(QEnterEvent *event)
{
    timer->stop();
    QFrame::enterEvent(event);
}

void NoteBar::leaveEvent(QEvent *event)
{
    if (isVisible())
        timer->start(shownFor);
    QFrame::leaveEvent(event);
}
