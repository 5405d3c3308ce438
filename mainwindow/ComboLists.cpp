#include "mainwindow/ComboLists.h"

#include "platform/CommaText.h"
#include "platform/TextRules.h"

#include <QApplication>
#include <QFontInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <algorithm>
#include <qdrawutil.h>

namespace combolist {

QList<bool> selectionFromText(const QStringList &items, const QString &text)
{
    QStringList names = commatext::read(textrules::trim(text));
    QList<bool> selected(items.size(), false);
    bool any = false;
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        for (qsizetype k = 0; k < names.size(); ++k) {
            if (QString::compare(names.at(k), items.at(i), Qt::CaseInsensitive) == 0) {
                selected[i] = true;
                names.removeAt(k);
                any = true;
                break;
            }
        }
    }
    if (!any && !text.isEmpty()) {
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (items.at(i).startsWith(text, Qt::CaseSensitive)) {
                selected[i] = true;
                break;
            }
        }
    }
    return selected;
}

int indexFromText(const QStringList &items, const QString &text)
{
    const QString trimmed = textrules::trim(text);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (QString::compare(items.at(i), trimmed, Qt::CaseInsensitive) == 0)
            return int(i);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (!items.at(i).isEmpty() && text.startsWith(items.at(i), Qt::CaseSensitive))
            return int(i);
    return -1;
}

QString textFromSelection(const QStringList &items, const QList<bool> &selected)
{
    QStringList texts;
    for (qsizetype i = 0; i < items.size() && i < selected.size(); ++i)
        if (selected.at(i))
            texts << items.at(i);
    return texts.isEmpty() ? QString() : commatext::write(texts);
}

int minimumHeight(int fontHeight, int systemFontHeight, int borderHeight, bool smallFont)
{
    return fontHeight + std::min(fontHeight, systemFontHeight) / 4 + 4 * borderHeight + (smallFont ? 1 : 0);
}

QRect buttonRect(const QSize &size, int scrollBarWidth)
{
    // Edges as left, top, right, bottom with the right and bottom edges outside the rectangle.
    const int left = size.width() - scrollBarWidth - 2;
    return QRect(left, 2, size.width() - 2 - left, size.height() - 4);
}

QRect textRect(const QSize &size, int scrollBarWidth)
{
    return QRect(2, 2, size.width() - 4 - scrollBarWidth, size.height() - 4);
}

DropDownGeometry dropDownGeometry(int itemCount, int dropDownCount, int itemHeight, int frameWidth,
                                  const QRect &controlGlobal, const QRect &screen)
{
    DropDownGeometry g;
    g.rows = std::min(std::max(itemCount, 0), std::max(dropDownCount, 1));
    const int listHeight = itemHeight * g.rows;
    const int width = controlGlobal.width();
    g.list = QRect(frameWidth, frameWidth, width - 2 * frameWidth, listHeight);
    const int popupWidth = width;
    const int popupHeight = listHeight + 2 * frameWidth;

    const int px = controlGlobal.left();
    const int py = controlGlobal.top() + controlGlobal.height();
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    const int left = screenRight > px + popupWidth ? px : px + width - popupWidth;
    const int top = screenBottom >= py + popupHeight ? py : py - controlGlobal.height() - popupHeight;
    g.popup = QRect(left, top, popupWidth, popupHeight);
    return g;
}

} // namespace combolist

namespace {

// Every row of the list has the list's item height.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int rowHeight = 13;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), rowHeight);
    }
};

} // namespace

// The list inside the pop-up: tells the control about presses, releases and double clicks after it has
// applied them to its selection.
class TComboListBox : public QListWidget {
public:
    TComboListBox(TComboList *owner, QWidget *parent)
        : QListWidget(parent)
        , FOwner(owner)
        , FDelegate(new FixedRowDelegate(this))
    {
        setItemDelegate(FDelegate);
        setUniformItemSizes(true);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setTextElideMode(Qt::ElideNone);
    }

    int itemHeight() const { return FDelegate->rowHeight; }
    void setItemHeight(int h)
    {
        FDelegate->rowHeight = std::max(h, 1);
        doItemsLayout();
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QListWidget::mousePressEvent(event);
        FOwner->ListMouseDown();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QListWidget::mouseReleaseEvent(event);
        FOwner->ListMouseUp();
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        QListWidget::mouseDoubleClickEvent(event);
        FOwner->ListMouseDown();
        FOwner->ListDblClick();
    }

private:
    TComboList *FOwner;
    FixedRowDelegate *FDelegate;
};

// The borderless pop-up that carries the list. It closes (and the control with it) when the user
// presses outside it or the program loses activation.
class TDropDownForm : public QWidget {
public:
    explicit TDropDownForm(TComboList *owner)
        : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint)
        , FOwner(owner)
    {
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        FOwner->DrawDropDownBorder(p);
    }
    void hideEvent(QHideEvent *event) override
    {
        QWidget::hideEvent(event);
        FOwner->DropDownHidden();
    }
    // A press on the control itself is the control's (the list stays open); any other press outside
    // the pop-up closes it.
    void mousePressEvent(QMouseEvent *event) override
    {
        if (!pressOnOwner(event))
            QWidget::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (!pressOnOwner(event))
            QWidget::mouseDoubleClickEvent(event);
    }

private:
    bool pressOnOwner(QMouseEvent *event)
    {
        const QPointF global = event->globalPosition();
        if (rect().contains(event->position().toPoint()) ||
            !FOwner->rect().contains(FOwner->mapFromGlobal(global).toPoint()))
            return false;
        QMouseEvent press(event->type(), FOwner->mapFromGlobal(global), global, event->button(), event->buttons(),
                          event->modifiers());
        FOwner->mousePressEvent(&press);
        event->accept();
        return true;
    }

    TComboList *FOwner;
};

TComboList::TComboList(QWidget *parent)
    : QLineEdit(parent)
{
    setFrame(false);
    FDropDownForm = new TDropDownForm(this);
    FListBox = new TComboListBox(this, FDropDownForm);
    FDropDownForm->setFocusProxy(FListBox);
    // Keys reach the control before the list sees them.
    FListBox->installEventFilter(this);
    FListBox->setLayoutDirection(layoutDirection());
    FDropDownForm->setPalette(palette());
    FListBox->setPalette(palette());
    FListBox->setFont(font());
    resize(145, 21);
    FButtonRect = combolist::buttonRect(size(), style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

TComboList::~TComboList()
{
    if (FTracking)
        qApp->removeEventFilter(this);
    // The pop-up must not report its own hiding to a half-destroyed control.
    FOpen = false;
    delete FDropDownForm;
    FDropDownForm = nullptr;
    FListBox = nullptr;
}

QStringList TComboList::Items() const
{
    QStringList out;
    out.reserve(FListBox->count());
    for (int i = 0; i < FListBox->count(); ++i)
        out << FListBox->item(i)->text();
    return out;
}

void TComboList::setItems(const QStringList &items)
{
    FListBox->clear();
    FListBox->addItems(items);
}

bool TComboList::MultiSelect() const
{
    return FListBox->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TComboList::setMultiSelect(bool value)
{
    if (value == MultiSelect())
        return;
    FListBox->setSelectionMode(value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    FListFollowsText = !value;
    UpdateListFromText();
    UpdateTextFromList();
}

int TComboList::ItemIndex() const
{
    // Multi-select: the focused item. Single-select: the selected item, which the focus alone (the list
    // focuses its first row when it takes the focus) does not change.
    if (MultiSelect())
        return FListBox->currentRow();
    const QModelIndexList rows = FListBox->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TComboList::setItemIndex(int value)
{
    if (value == ItemIndex())
        return;
    if (value >= 0 && value < FListBox->count())
        setText(FListBox->item(value)->text());
    UpdateListFromText();
    UpdateTextFromList();
}

int TComboList::ItemHeight() const
{
    return FListBox->itemHeight();
}

void TComboList::setItemHeight(int value)
{
    if (value != ItemHeight())
        FListBox->setItemHeight(value);
}

int TComboList::TopIndex() const
{
    return FListBox->verticalScrollBar()->value();
}

void TComboList::setTopIndex(int value)
{
    if (value == TopIndex() || value < 0 || value >= FListBox->count())
        return;
    FListBox->scrollToItem(FListBox->item(value), QAbstractItemView::PositionAtTop);
}

bool TComboList::DroppedDown() const
{
    return FOpen && FDropDownForm->isVisible();
}

void TComboList::setDroppedDown(bool value)
{
    if (value == DroppedDown())
        return;
    if (value)
        DropDown();
    else
        CloseUp();
}

int TComboList::SelCount() const
{
    return int(FListBox->selectionModel()->selectedRows().size());
}

bool TComboList::Selected(int index) const
{
    const QListWidgetItem *item = FListBox->item(index);
    return item && item->isSelected();
}

void TComboList::setBiDiMode(Qt::LayoutDirection mode)
{
    setLayoutDirection(mode);
    FListBox->setLayoutDirection(mode);
}

QWidget *TComboList::DropDownForm() const
{
    return FDropDownForm;
}

QListWidget *TComboList::ListBox() const
{
    return FListBox;
}

QRect TComboList::GetClientRect() const
{
    return combolist::textRect(size(), style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

int TComboList::MinimumHeight() const
{
    const int systemHeight = QFontMetrics(QApplication::font()).height();
    const bool small = QFontInfo(font()).pointSizeF() < 10.0;
    return combolist::minimumHeight(fontMetrics().height(), systemHeight, 1, small);
}

QSize TComboList::sizeHint() const
{
    return QSize(145, std::max(21, MinimumHeight()));
}

QSize TComboList::minimumSizeHint() const
{
    return QSize(FButtonRect.width() + 8, MinimumHeight());
}

// ---- selection and text

void TComboList::setListIndex(int index)
{
    if (MultiSelect()) {
        // The focused item only; the selection stays.
        const QModelIndex mi = FListBox->model()->index(index, 0);
        FListBox->selectionModel()->setCurrentIndex(mi, QItemSelectionModel::NoUpdate);
        return;
    }
    if (index < 0 || index >= FListBox->count()) {
        FListBox->clearSelection();
        FListBox->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    FListBox->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void TComboList::UpdateListFromText()
{
    const QStringList items = Items();
    if (MultiSelect()) {
        const QList<bool> selected = combolist::selectionFromText(items, text());
        QItemSelection selection;
        for (qsizetype i = 0; i < selected.size(); ++i) {
            if (selected.at(i)) {
                const QModelIndex mi = FListBox->model()->index(int(i), 0);
                selection.select(mi, mi);
            }
        }
        FListBox->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    } else {
        setListIndex(combolist::indexFromText(items, text()));
    }
}

void TComboList::UpdateTextFromList()
{
    if (MultiSelect()) {
        QList<bool> selected(FListBox->count(), false);
        for (int i = 0; i < FListBox->count(); ++i)
            selected[i] = FListBox->item(i)->isSelected();
        setText(combolist::textFromSelection(Items(), selected));
    } else {
        const QListWidgetItem *item = FListBox->item(ItemIndex());
        setText(item ? item->text() : QString());
    }
    repaint();
}

// ---- opening and closing

void TComboList::DropDown()
{
    bool enabled = true;
    emit OnDropDown(&enabled);
    if (!enabled)
        return;
    setFocus(Qt::OtherFocusReason);
    setCursorPosition(int(text().size()));
    deselect();
    FListFollowsText = !MultiSelect();
    UpdateListFromText();
    AdjustDropDown();
    FDropDownForm->setPalette(palette());
    FListBox->setPalette(palette());
    FListBox->setFont(font());
    FListBox->show();
    FOpen = true;
    FDropDownForm->show();
    FDropDownForm->raise();
    FListBox->setFocus(Qt::PopupFocusReason);
}

void TComboList::AdjustDropDown()
{
    FListBox->setItemHeight(MinimumHeight() - 8);
    const QRect control(mapToGlobal(QPoint(0, 0)), size());
    QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = scr ? scr->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const combolist::DropDownGeometry g = combolist::dropDownGeometry(
        FListBox->count(), DropDownCount, FListBox->itemHeight(), FFrameWidth, control, area);
    FListBox->setGeometry(g.list);
    FDropDownForm->setGeometry(g.popup);
}

void TComboList::CloseUp()
{
    // Closing a list that is not open does nothing: the pop-up's own hiding, disabling the control
    // and the public call may all arrive for the same close, and only the first counts.
    if (!FOpen)
        return;
    FOpen = false;
    FDropDownForm->hide();
    if (FListFollowsText)
        UpdateListFromText();
    else
        UpdateTextFromList();
    emit OnDropUp();
}

void TComboList::DropDownHidden()
{
    // The pop-up was closed from outside (a press elsewhere, the program deactivated).
    if (FOpen)
        CloseUp();
}

bool TComboList::DropDownKeyPress(QKeyEvent *event)
{
    const QString chars = event->text();
    if (chars.isEmpty())
        return false;
    const char16_t c = chars.front().unicode();
    if (c == 13 || c == 27) {
        CloseUp();
        return true;
    }
    // Typed at the caret (the end of the text). A tab is no character to a one-line edit.
    if (c != 9) {
        const QString before = text();
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                       ushort(event->count()));
        QLineEdit::keyPressEvent(&copy);
        if (text() != before)
            UpdateListFromText();
    }
    UpdateTextFromList();
    return false;
}

void TComboList::ListMouseDown()
{
    if (FDropDownForm->isVisible())
        UpdateTextFromList();
}

void TComboList::ListMouseUp()
{
    if (!MultiSelect())
        CloseUp();
}

void TComboList::ListDblClick()
{
    if (MultiSelect())
        CloseUp();
}

// ---- pressing the arrow button

void TComboList::beginButtonTracking()
{
    if (!FTracking) {
        FTracking = true;
        qApp->installEventFilter(this);
    }
}

void TComboList::endButtonTracking()
{
    if (FTracking) {
        FTracking = false;
        qApp->removeEventFilter(this);
    }
    FPressed = false;
    FMouseInButton = false;
    update(FButtonRect);
}

void TComboList::trackButton(const QPointF &globalPos)
{
    const bool inside = FButtonRect.contains(mapFromGlobal(globalPos.toPoint()));
    if (inside != FMouseInButton) {
        FMouseInButton = inside;
        update(FButtonRect);
    }
}

void TComboList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QPoint p = event->position().toPoint();
    if (FButtonRect.contains(p)) {
        DropDown();
        FPressed = true;
        FMouseInButton = true;
        update(FButtonRect);
        // Until the button is released every mouse event goes to the button, wherever the pointer is.
        beginButtonTracking();
    } else if (GetClientRect().contains(p)) {
        DropDown();
    }
    event->accept();
}

void TComboList::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void TComboList::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void TComboList::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

bool TComboList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FListBox && event->type() == QEvent::KeyPress)
        return DropDownKeyPress(static_cast<QKeyEvent *>(event));
    if (FTracking && watched->isWidgetType()) {
        switch (event->type()) {
        case QEvent::MouseMove:
            trackButton(static_cast<QMouseEvent *>(event)->globalPosition());
            return true;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                endButtonTracking();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            endButtonTracking();
            return true;
        default:
            break;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

// ---- geometry, state changes and painting

void TComboList::raiseToMinimumHeight()
{
    const int least = MinimumHeight();
    if (height() < least)
        resize(width(), least);
}

void TComboList::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    FButtonRect = combolist::buttonRect(size(), style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    raiseToMinimumHeight();
}

void TComboList::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled())
            CloseUp();
        FListBox->setFont(font());
        update();
        break;
    case QEvent::FontChange:
        raiseToMinimumHeight();
        FListBox->setItemHeight(MinimumHeight() - 6);
        update();
        break;
    case QEvent::PaletteChange:
        update();
        break;
    case QEvent::LayoutDirectionChange:
        FListBox->setLayoutDirection(layoutDirection());
        break;
    default:
        break;
    }
}

void TComboList::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    update();
}

void TComboList::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    update();
}

void TComboList::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    DrawBorder(canvas);
    DrawButton(canvas);
    Paint(canvas);
}

void TComboList::DrawBorder(QPainter &canvas)
{
    qDrawWinPanel(&canvas, QRect(0, 0, FButtonRect.right() + 1 + 2, FButtonRect.bottom() + 1 + 2), palette(), true);
}

void TComboList::DrawButton(QPainter &canvas)
{
    const bool pushed = FPressed && FMouseInButton;
    QRect r = FButtonRect;
    if (pushed) {
        // Pushed and flat: one shadow line round a face, the arrow one pixel down and right.
        canvas.fillRect(r, palette().button());
        canvas.setPen(palette().color(QPalette::Dark));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(r.adjusted(0, 0, -1, -1));
        r.translate(1, 1);
    } else {
        qDrawWinButton(&canvas, r, palette(), false, &palette().button());
    }
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = r.adjusted(3, 3, -3, -3);
    arrow.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    if (!isEnabled())
        arrow.state &= ~QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &canvas, this);
}

void TComboList::Paint(QPainter &canvas)
{
    QRect r = GetClientRect();
    canvas.setFont(font());
    QColor textColour;
    if (!hasFocus()) {
        textColour =
            isEnabled() ? palette().color(QPalette::Text) : palette().color(QPalette::Disabled, QPalette::Text);
        canvas.fillRect(r, palette().color(QPalette::Base));
        r.adjust(1, 1, -1, -1);
    } else {
        canvas.setPen(QPen(palette().color(QPalette::Base), 1, Qt::SolidLine));
        canvas.setBrush(palette().color(QPalette::Highlight));
        canvas.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r;
        focus.backgroundColor = palette().color(QPalette::Highlight);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &canvas, this);
        textColour = palette().color(QPalette::HighlightedText);
    }
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(textColour);
    canvas.save();
    canvas.setClipRect(r);
    const QRect textArea(3, 3, std::max(r.right() + 1 - 3, 0), std::max(r.bottom() + 1 - 3, 0));
    canvas.drawText(textArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
    canvas.restore();
}

void TComboList::DrawDropDownBorder(QPainter &canvas)
{
    canvas.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::SolidLine));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(FDropDownForm->rect().adjusted(0, 0, -1, -1));
}
