#include "control/cmpGFXListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOption>
#include <QStyledItemDelegate>

namespace {

constexpr int kStateRole = Qt::UserRole + 0x4B0;
constexpr int kImageIndexRole = Qt::UserRole + 0x4B1;

// Hands the drawing of every item to the list box and gives all items its item height.
class TkvListBoxDelegate : public QStyledItemDelegate {
public:
    explicit TkvListBoxDelegate(TkvListBox* list)
        : QStyledItemDelegate(list)
        , FList(list)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        painter->save();
        FList->DrawItem(*painter, index.row(), option.rect,
                        option.state.testFlag(QStyle::State_Selected));
        painter->restore();
    }

    // Check states belong to the list box alone; the item view's own check handling is off.
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&,
                     const QModelIndex&) override
    {
        return false;
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width() > 0 ? option.rect.width() : 1, FList->ItemHeight());
    }

private:
    TkvListBox* FList;
};

} // namespace

TkvListBox::TkvListBox(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new TkvListBoxDelegate(this));
    setUniformItemSizes(true);
}

TkvListBox::~TkvListBox() = default;

void TkvListBox::SetItemData(QListWidgetItem* it, int role, int value)
{
    // The model would announce the change and the view would then repaint the whole list;
    // these roles are the list box's own, and it redraws what changed itself.
    const QSignalBlocker quiet(model());
    it->setData(role, value);
}

int TkvListBox::State(int index) const
{
    const QListWidgetItem* it = item(index);
    if (!it)
        return StateUnchecked;
    return it->data(kStateRole).toInt();
}

void TkvListBox::SetState(int index, int state)
{
    QListWidgetItem* it = item(index);
    if (!it || state < StateUnchecked || state > StateGrayed)
        return;
    if (State(index) == state)
        return;
    bool cancel = false;
    emit OnStateChange(index, cancel);
    if (cancel)
        return;
    // The handler may have removed items.
    it = item(index);
    if (!it)
        return;
    SetItemData(it, kStateRole, state);
    InvalidateItem(index);
}

int TkvListBox::ImageIndex(int index) const
{
    const QListWidgetItem* it = item(index);
    if (!it)
        return 0;
    return it->data(kImageIndexRole).toInt();
}

void TkvListBox::SetImageIndex(int index, int imageIndex)
{
    QListWidgetItem* it = item(index);
    if (!it || ImageIndex(index) == imageIndex)
        return;
    SetItemData(it, kImageIndexRole, imageIndex);
    InvalidateItem(index);
}

void TkvListBox::ToggleState(int index)
{
    switch (State(index)) {
    case StateUnchecked:
        SetState(index, FAllowGrayed ? StateGrayed : StateChecked);
        break;
    case StateChecked:
        SetState(index, StateUnchecked);
        break;
    default:
        SetState(index, StateChecked);
        break;
    }
}

void TkvListBox::InvalidateItem(int index)
{
    QListWidgetItem* it = item(index);
    if (!it)
        return;
    if (FQuickPaint) {
        const QRect r = visualItemRect(it);
        if (!r.isEmpty())
            viewport()->repaint(r);
    } else {
        viewport()->update();
    }
}

void TkvListBox::SetImageList(TImageList* list)
{
    if (FImageListChanged)
        disconnect(FImageListChanged);
    FImageList = list;
    if (list) {
        FImageListChanged = connect(list, &TImageList::Changed, viewport(),
                                    qOverload<>(&QWidget::update));
        if (FItemHeight < list->Height() + 4)
            SetItemHeight(list->Height() + 4);
    }
    viewport()->update();
}

void TkvListBox::SetItemHeight(int height)
{
    if (height < 1 || height == FItemHeight)
        return;
    FItemHeight = height;
    // Uniform item sizes are cached by the view; lay the items out again.
    doItemsLayout();
    viewport()->update();
}

void TkvListBox::DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) const
{
    const QPalette& pal = palette();
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Normal : QPalette::Disabled;
    painter.fillRect(rect, selected ? pal.brush(group, QPalette::Highlight)
                                    : pal.brush(group, QPalette::Base));

    // Check box area: CheckWidth wide, 2 pixels in from the left, the item's full height.
    const QRect checkArea(rect.left() + 2, rect.top(), FCheckWidth, rect.height());
    if (FCheckWidth > 0) {
        const int side = qMin(FCheckWidth, rect.height());
        QStyleOptionButton box;
        box.initFrom(this);
        box.rect = QRect(checkArea.left() + (FCheckWidth - side) / 2,
                         checkArea.top() + (rect.height() - side) / 2, side, side);
        box.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_HasFocus
                       | QStyle::State_MouseOver | QStyle::State_Sunken);
        const int st = State(index);
        box.state |= st == StateUnchecked ? QStyle::State_Off : QStyle::State_On;
        if (st == StateGrayed)
            box.state &= ~QStyle::State_Enabled; // checked, but drawn inactive
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
    }
    int x = checkArea.left() + FCheckWidth;

    if (FImageList) {
        const int top = rect.top() + (rect.height() - FImageList->Height()) / 2;
        FImageList->Draw(painter, x + 4, top, ImageIndex(index));
        x += 4 + FImageList->Width();
    }

    const QListWidgetItem* it = item(index);
    if (!it)
        return;
    painter.setFont(font());
    painter.setPen(selected ? pal.color(group, QPalette::HighlightedText)
                            : pal.color(group, QPalette::Text));
    const QRect textRect(x + 2, rect.top(), rect.right() - (x + 2) + 1, rect.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, it->text());
}

bool TkvListBox::PressOnCheckBox(QMouseEvent* event, int& index) const
{
    if (event->button() != Qt::LeftButton)
        return false;
    const QPoint pos = event->position().toPoint();
    QListWidgetItem* it = itemAt(pos);
    if (!it)
        return false;
    if (pos.x() >= visualItemRect(it).left() + FCheckWidth + 2)
        return false;
    index = row(it);
    return true;
}

void TkvListBox::mousePressEvent(QMouseEvent* event)
{
    int index = -1;
    if (PressOnCheckBox(event, index))
        ToggleState(index);
    QListWidget::mousePressEvent(event);
}

void TkvListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press in the check box too.
    int index = -1;
    if (PressOnCheckBox(event, index))
        ToggleState(index);
    QListWidget::mouseDoubleClickEvent(event);
}

void TkvListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && currentRow() >= 0)
        ToggleState(currentRow());
    QListWidget::keyPressEvent(event);
}
