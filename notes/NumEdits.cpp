#include "notes/NumEdits.h"

#include "platform/Beep.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <limits>

namespace {

// Delay before a held step button repeats, then the repeat interval.
constexpr int RepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 60;
// Width of the step buttons.
constexpr int UpDownWidth = 15;

} // namespace

// ---- number edit ----

TCustomNumEdit::TCustomNumEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setText(QStringLiteral("0"));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!OnChange)
            return;
        try {
            OnChange(this);
        } catch (...) {
            // a failing change handler never fails the change (nor crosses the edit's own code)
        }
    });
}

void TCustomNumEdit::Beep() const
{
    if (m_beepOnError)
        beep::message();
}

int TCustomNumEdit::CheckValue(int value) const
{
    if (m_min == m_max)
        return value;
    if (value < m_min)
        return m_min;
    if (value > m_max)
        return m_max;
    return value;
}

bool TCustomNumEdit::TextToNumber(const QString &text, int &value) const
{
    // the whole text, an optional sign and decimal digits, as the run-time library converts it
    bool ok = false;
    QString t = text;
    if (t.startsWith(u'+') && t.size() > 1 && t[1].isDigit())
        t.remove(0, 1);
    const qlonglong v = t.toLongLong(&ok, 10);
    if (ok && !t.isEmpty() && (t[0].isDigit() || t[0] == u'-') && v >= std::numeric_limits<int>::min() &&
        v <= std::numeric_limits<int>::max()) {
        value = int(v);
        return true;
    }
    value = m_min;
    return false;
}

int TCustomNumEdit::GetValue()
{
    const QString current = text();
    if (current.isEmpty())
        return 0;
    int value = 0;
    TextToNumber(current, value);
    value = CheckValue(value);
    const QString normal = QString::number(value);
    if (current != normal)
        setText(normal);
    return value;
}

void TCustomNumEdit::SetNumber(int value)
{
    if (isReadOnly()) {
        Beep();
        return;
    }
    setText(QString::number(CheckValue(value)));
}

void TCustomNumEdit::SetMax(int value)
{
    m_max = value;
    if (value != 0 && GetValue() > value)
        setText(QString::number(value));
}

void TCustomNumEdit::SetMin(int value)
{
    m_min = value;
    if (value != 0 && GetValue() < value)
        setText(QString::number(value));
}

void TCustomNumEdit::SetGrayOnDisable(bool value)
{
    if (value == m_grayOnDisable)
        return;
    m_grayOnDisable = value;
    updateColor();
}

void TCustomNumEdit::updateColor()
{
    // the window colour, or the button face while disabled and greyed
    const QPalette standard = QApplication::palette(this);
    const bool gray = m_grayOnDisable && !isEnabled();
    const QColor color =
        gray ? standard.color(QPalette::Active, QPalette::Button) : standard.color(QPalette::Active, QPalette::Base);
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, color);
    setPalette(p);
}

void TCustomNumEdit::SetEnabled(bool value)
{
    if (value != isEnabled())
        setEnabled(value); // the colour follows in changeEvent
}

void TCustomNumEdit::changeEvent(QEvent *e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        updateColor();
}

bool TCustomNumEdit::IsValidChar(QChar key) const
{
    if (key == u'+' || key == u'-' || (key >= u'0' && key <= u'9'))
        return true;
    if (QLocale().decimalPoint() == QString(key))
        return true;
    return key.unicode() < 32 && key.unicode() != 13;
}

bool TCustomNumEdit::refuseKey(const QString &text)
{
    for (const QChar c : text) {
        if (!IsValidChar(c)) {
            Beep();
            return true;
        }
    }
    return false;
}

void TCustomNumEdit::keyPressEvent(QKeyEvent *e)
{
    // the paste and cut keys take the checked way
    if (e->matches(QKeySequence::Paste)) {
        if (!isReadOnly())
            PasteFromClipboard();
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Cut)) {
        CutToClipboard();
        e->accept();
        return;
    }
    // the delete key erases like backspace (it types no character); with the editor off it is refused
    if (e->key() == Qt::Key_Delete) {
        if (!editAllowed()) {
            Beep();
            e->accept();
            return;
        }
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (!e->text().isEmpty() && refuseKey(e->text())) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TCustomNumEdit::inputMethodEvent(QInputMethodEvent *e)
{
    if (!e->commitString().isEmpty() && refuseKey(e->commitString())) {
        QInputMethodEvent none;
        QLineEdit::inputMethodEvent(&none);
        return;
    }
    QLineEdit::inputMethodEvent(e);
}

void TCustomNumEdit::PasteText(const QString &pasted)
{
    int value = 0;
    if (isReadOnly() || !TextToNumber(pasted, value)) {
        Beep();
        return;
    }
    insert(pasted);
}

void TCustomNumEdit::PasteFromClipboard()
{
    PasteText(QApplication::clipboard()->text());
}

void TCustomNumEdit::CutToClipboard()
{
    cut();
}

void TCustomNumEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    // a click places the caret; any other way in selects the whole number
    if (m_autoSelect && e->reason() != Qt::MouseFocusReason)
        selectAll();
}

void TCustomNumEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    GetValue();
}

void TCustomNumEdit::mouseReleaseEvent(QMouseEvent *e)
{
    // the middle button pastes the selection clipboard: the same check as any paste
    if (e->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly())
            PasteText(QApplication::clipboard()->text(QClipboard::Selection));
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void TCustomNumEdit::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QList<QAction *> actions = menu->actions();
    for (QAction *a : actions) {
        if (a->objectName() == QLatin1String("edit-paste")) {
            a->disconnect();
            connect(a, &QAction::triggered, this, [this] { PasteFromClipboard(); });
        } else if (a->objectName() == QLatin1String("edit-cut")) {
            a->disconnect();
            a->setEnabled(a->isEnabled() && editAllowed());
            connect(a, &QAction::triggered, this, [this] { CutToClipboard(); });
        }
    }
    menu->popup(e->globalPos());
}

void TCustomNumEdit::dragEnterEvent(QDragEnterEvent *e)
{
    int value = 0;
    if (!e->mimeData()->hasText() || isReadOnly() || !editAllowed() || !TextToNumber(e->mimeData()->text(), value)) {
        e->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(e);
}

void TCustomNumEdit::dropEvent(QDropEvent *e)
{
    int value = 0;
    if (!e->mimeData()->hasText() || isReadOnly() || !editAllowed() || !TextToNumber(e->mimeData()->text(), value)) {
        Beep();
        e->ignore();
        return;
    }
    QLineEdit::dropEvent(e);
}

// ---- step buttons ----

TUpDown::TUpDown(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::ArrowCursor);
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(RepeatIntervalMs);
        step();
    });
}

void TUpDown::step()
{
    if (m_pressed != 0 && OnChanging)
        OnChanging(m_pressed);
}

void TUpDown::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !isEnabled())
        return;
    m_pressed = e->position().y() < height() / 2.0 ? 1 : -1;
    update();
    step();
    m_repeat.start(RepeatDelayMs);
}

void TUpDown::mouseReleaseEvent(QMouseEvent *)
{
    m_pressed = 0;
    m_repeat.stop();
    update();
}

void TUpDown::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange && !isEnabled()) {
        m_pressed = 0;
        m_repeat.stop();
    }
}

void TUpDown::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        const bool down = (i == 0 && m_pressed == 1) || (i == 1 && m_pressed == -1);
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &p, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = halves[i].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
    }
}

// ---- number edit with step buttons ----

TCustomUpDownNumEdit::TCustomUpDownNumEdit(QWidget *parent)
    : TCustomNumEdit(parent)
    , m_upDown(new TUpDown(this))
{
    m_upDown->setObjectName(QStringLiteral("UpDown"));
    m_upDown->resize(UpDownWidth, 17);
    m_upDown->OnChanging = [this](int direction) { UpDownChangingEx(direction); };
    m_upDown->show();
    SetEditRect();
}

void TCustomUpDownNumEdit::SetEnabled(bool value)
{
    TCustomNumEdit::SetEnabled(value);
    m_upDown->setEnabled(value);
}

bool TCustomUpDownNumEdit::IsValidChar(QChar key) const
{
    if (!TCustomNumEdit::IsValidChar(key))
        return false;
    return m_editorEnabled || (key.unicode() < 32 && key.unicode() != 8);
}

void TCustomUpDownNumEdit::PasteText(const QString &text)
{
    if (m_editorEnabled)
        TCustomNumEdit::PasteText(text);
}

void TCustomUpDownNumEdit::CutToClipboard()
{
    if (m_editorEnabled)
        TCustomNumEdit::CutToClipboard();
}

void TCustomUpDownNumEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Up)
        SetNumber(Number() + 1);
    else if (e->key() == Qt::Key_Down)
        SetNumber(Number() - 1);
    TCustomNumEdit::keyPressEvent(e);
}

void TCustomUpDownNumEdit::UpDownChangingEx(int direction)
{
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
    SetNumber(Number() + (direction > 0 ? 1 : -1));
}

int TCustomUpDownNumEdit::GetMinHeight() const
{
    const QFontMetrics screen(QApplication::font());
    const QFontMetrics own(font());
    const int i = std::min(screen.height(), own.height());
    const int border = 1;
    return own.height() + i / 4 + 4 * border + 2;
}

void TCustomUpDownNumEdit::resizeEvent(QResizeEvent *e)
{
    TCustomNumEdit::resizeEvent(e);
    // never lower than a line of the font: a layout that holds the edit learns it too
    const int minHeight = GetMinHeight();
    if (minimumHeight() != minHeight)
        setMinimumHeight(minHeight);
    if (height() < minHeight) {
        resize(width(), minHeight);
        return;
    }
    m_upDown->setGeometry(width() - m_upDown->width() - 2, 2, m_upDown->width(), height() - 4);
    SetEditRect();
}

void TCustomUpDownNumEdit::SetEditRect()
{
    // the text stays clear of the step buttons
    setTextMargins(1, 0, m_upDown->width() + 2, 0);
}
