#pragma once
// TMyFlash: the Flash control as each window hosts it. Every hosting window handles some
// mouse buttons in its own way (its row of TMyFlashMouseTable); the right button never
// reaches the movie, so no foreign menu ever shows.
#include "control/ShockwaveFlash.h"

#include <QMenu>
#include <QPointer>

// The windows that host the control.
enum class TMyFlashHost {
    ExtDlgs,      // the media open dialog's preview (both programs)
    Media,        // the builder window
    TempInteger,  // the browser-cache finder
    MediaSelect,  // the download selection dialog of the dialog library
    PreviewFlash, // the player window
};

// What a press of one kind does.
enum class TMyFlashHandling {
    Own,        // the control's own handling: the movie gets it
    Ordinary,   // the movie gets it and the control raises OnMouseDown
    Swallowed,  // nothing happens, nothing is passed on
    FullScreen, // OnFullScreenRequest (the player decides; it ignores it in full screen)
    ShowMenu,   // the control's PopupMenu at the cursor, and OnPopupRequest
};

struct TMyFlashMouse {
    TMyFlashHandling leftDouble;
    TMyFlashHandling leftDown;
    TMyFlashHandling rightDown;
};

TMyFlashMouse TMyFlashMouseTable(TMyFlashHost host);

class TMyFlash : public TShockwaveFlash {
    Q_OBJECT
public:
    explicit TMyFlash(TMyFlashHost host, QWidget* parent = nullptr);

    TMyFlashHost Host() const { return FHost; }

    // The menu a ShowMenu press opens (the player's PopupMenuFlash).
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

signals:
    void OnMouseDown(Qt::MouseButton button, const QPoint& pos);
    void OnFullScreenRequest();
    void OnPopupRequest(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Handle(TMyFlashHandling handling, QMouseEvent* event);

    TMyFlashHost FHost;
    QPointer<QMenu> FPopupMenu;
};
