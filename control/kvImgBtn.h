#pragma once
// An image that behaves like a push button with three pictures: one at rest, one while the
// mouse is over it and one while the left button is held over it. Pressing, sliding out,
// sliding back in and releasing outside behave like a push button: a click only when the
// button is released over the image.
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <QMenu>

class TKvImgBtn : public QWidget {
    Q_OBJECT
public:
    explicit TKvImgBtn(QWidget* parent = nullptr);
    ~TKvImgBtn() override;

    // The picture on show.
    const QPixmap& Picture() const { return FPicture; }
    void SetPicture(const QPixmap& picture);

    const QPixmap& PicIdle() const { return FPicIdle; }
    const QPixmap& PicUp() const { return FPicUp; }
    const QPixmap& PicDown() const { return FPicDown; }
    // The idle picture shows at once; the other two only when their state comes.
    void SetPicIdle(const QPixmap& picture);
    void SetPicUp(const QPixmap& picture) { FPicUp = picture; }
    void SetPicDown(const QPixmap& picture) { FPicDown = picture; }

    // False turns the picture switching and its four signals off: a plain image that clicks.
    bool Supported() const { return FSupported; }
    void SetSupported(bool on) { FSupported = on; }

    // Size follows the picture on show.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);

    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

    bool MouseInside() const { return FInside; }
    bool ButtonHeld() const { return FHeld; }

    QSize sizeHint() const override;

signals:
    // Raised after the picture has switched; pos is in the button's coordinates.
    void OnMouseEnter(const QPoint& pos);
    void OnMouseLeave(const QPoint& pos);
    void OnMouseDown(Qt::MouseButton button, const QPoint& pos);
    void OnMouseUp(Qt::MouseButton button, const QPoint& pos);
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void MouseEntered(const QPoint& pos);
    void MouseLeft(const QPoint& pos);

    QPixmap FPicture;
    QPixmap FPicIdle;
    QPixmap FPicUp;
    QPixmap FPicDown;
    bool FSupported = true;
    bool FAutoSize = false;
    bool FInside = false;
    bool FHeld = false;
    bool FClickPending = false; // the left button went down on the image
    QPointer<QMenu> FPopupMenu;
};
