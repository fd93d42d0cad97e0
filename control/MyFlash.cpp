#include "control/MyFlash.h"

#include <QMenu>
#include <QMouseEvent>

TMyFlashMouse TMyFlashMouseTable(TMyFlashHost host)
{
    using H = TMyFlashHandling;
    switch (host) {
    case TMyFlashHost::ExtDlgs: return { H::Own, H::Ordinary, H::Swallowed };
    case TMyFlashHost::Media: return { H::Own, H::Ordinary, H::Swallowed };
    case TMyFlashHost::TempInteger: return { H::Own, H::Own, H::Swallowed };
    case TMyFlashHost::MediaSelect: return { H::Own, H::Ordinary, H::Swallowed };
    case TMyFlashHost::PreviewFlash: return { H::FullScreen, H::Ordinary, H::ShowMenu };
    }
    return { H::Own, H::Own, H::Swallowed };
}

TMyFlash::TMyFlash(TMyFlashHost host, QWidget* parent)
    : TShockwaveFlash(parent)
    , FHost(host)
{
}

void TMyFlash::Handle(TMyFlashHandling handling, QMouseEvent* event)
{
    event->accept();
    switch (handling) {
    case TMyFlashHandling::Own:
        MoviePress(event->position());
        break;
    case TMyFlashHandling::Ordinary:
        MoviePress(event->position());
        emit OnMouseDown(event->button(), event->position().toPoint());
        break;
    case TMyFlashHandling::Swallowed:
        break;
    case TMyFlashHandling::FullScreen:
        emit OnFullScreenRequest();
        break;
    case TMyFlashHandling::ShowMenu: {
        const QPoint at = event->globalPosition().toPoint();
        emit OnPopupRequest(at);
        if (FPopupMenu)
            FPopupMenu->popup(at);
        break;
    }
    }
}

void TMyFlash::mousePressEvent(QMouseEvent* event)
{
    const TMyFlashMouse table = TMyFlashMouseTable(FHost);
    switch (event->button()) {
    case Qt::LeftButton: Handle(table.leftDown, event); break;
    case Qt::RightButton: Handle(table.rightDown, event); break;
    default: event->accept(); break; // other buttons mean nothing to a movie
    }
}

void TMyFlash::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Handle(TMyFlashMouseTable(FHost).leftDouble, event);
    else
        mousePressEvent(event);
}
