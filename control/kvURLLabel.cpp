#include "control/kvURLLabel.h"

#include "shared/Share.h"

#include <QMouseEvent>

namespace {
const char* const kGreeting = "Open the Quillmoor guide";
} // namespace

TkvURLLabel::TkvURLLabel(QWidget* parent)
    : QLabel(parent)
    , FURL(HomePageUrl())
    , FFontHoverColor(Qt::red)
    , FFontLinkColor(Qt::blue)
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    SetFontColor(FFontLinkColor);
    SetCaption(QString::fromLatin1(kGreeting));
}

void TkvURLLabel::SetURL(const QString& url)
{
    if (url != FURL)
        FURL = url;
}

void TkvURLLabel::SetFontLinkColor(const QColor& color)
{
    FFontLinkColor = color;
    SetFontColor(color);
}

QColor TkvURLLabel::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TkvURLLabel::SetFontColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void TkvURLLabel::SetAutoSize(bool on)
{
    FAutoSize = on;
    if (FAutoSize)
        adjustSize();
}

void TkvURLLabel::SetCaption(const QString& caption)
{
    setText(caption);
    if (FAutoSize)
        adjustSize();
}

void TkvURLLabel::Click()
{
    const QString trimmed = FURL.trimmed();
    if (!trimmed.isEmpty() && FURL != QLatin1String("no"))
        ShellOpen(window(), FURL);
    emit OnClick();
}

void TkvURLLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    SetFontColor(FFontHoverColor);
}

void TkvURLLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    SetFontColor(FFontLinkColor);
}

void TkvURLLabel::mousePressEvent(QMouseEvent* event)
{
    FPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TkvURLLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = FPressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    FPressed = false;
    event->accept();
    if (click)
        Click();
}
