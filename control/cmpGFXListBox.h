#pragma once
// A list box whose items each carry a check box (unchecked, checked or grayed) and a picture
// from an image list, drawn left of the text. Check states change only through SetState, so
// a handler of OnStateChange can refuse every change, whether it comes from a click in the
// check box area, the Space key or the program.
#include <QListWidget>
#include <QPointer>

#include "control/ImgList.h"

class TkvListBox : public QListWidget {
    Q_OBJECT
public:
    enum : int { StateUnchecked = 0, StateChecked = 1, StateGrayed = 2 };

    explicit TkvListBox(QWidget* parent = nullptr);
    ~TkvListBox() override;

    // Per-item state; an index out of range reads 0 and ignores writes.
    int State(int index) const;
    void SetState(int index, int state);
    bool Checked(int index) const { return State(index) == StateChecked; }
    void SetChecked(int index, bool on) { SetState(index, on ? StateChecked : StateUnchecked); }
    int ImageIndex(int index) const;
    void SetImageIndex(int index, int imageIndex);

    // unchecked → grayed (AllowGrayed) or checked; checked → unchecked; grayed → checked.
    void ToggleState(int index);
    // Redraws one item at once (QuickPaint) or the whole list later.
    void InvalidateItem(int index);

    // Width of the check box area in pixels; a press left of item left + CheckWidth + 2 toggles.
    int CheckWidth() const { return FCheckWidth; }
    void SetCheckWidth(int width) { FCheckWidth = width; }

    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool on) { FAllowGrayed = on; }

    bool QuickPaint() const { return FQuickPaint; }
    void SetQuickPaint(bool on) { FQuickPaint = on; }

    TImageList* ImageList() const { return FImageList; }
    // Raises the item height to the pictures' height + 4 when it is smaller.
    void SetImageList(TImageList* list);

    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int height);

    // Paints item `index` into `rect` as the list shows it.
    void DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) const;

signals:
    // Asked before a check state changes; set p_Cancel to keep the old state.
    void OnStateChange(int p_Index, bool& p_Cancel);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetItemData(QListWidgetItem* it, int role, int value);
    bool PressOnCheckBox(QMouseEvent* event, int& index) const;

    int FCheckWidth = 0;
    bool FAllowGrayed = false;
    bool FQuickPaint = true;
    int FItemHeight = 17;
    QPointer<TImageList> FImageList;
    QMetaObject::Connection FImageListChanged;
};
