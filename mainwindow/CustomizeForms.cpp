#include "mainwindow/CustomizeForms.h"

#include "platform/ActionUpdater.h"
#include "platform/MessageBoxes.h"
#include "platform/TextRules.h"
#include "settings/LanguageFonts.h"
#include "settings/MemInis.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

TNameProblem nameProblem(const QString &name)
{
    if (name.contains(u'\n') || name.contains(u'\r'))
        return TNameProblem::LineBreak;
    const QString t = textrules::trim(name);
    if (t.isEmpty())
        return TNameProblem::Empty;
    if (name.contains(u'=') || t.startsWith(u'[') || t.startsWith(u';'))
        return TNameProblem::Invalid;
    if (name.contains(QChar(0)))
        return TNameProblem::Nul;
    return TNameProblem::None;
}

QString refusalText(const QString &text, const QString &name)
{
    return QString(text).replace(QStringLiteral("%s"), QString(name).replace(QChar(0), QChar(0x2400)));
}

QString trimBlanks(const QString &s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && (s.at(b) == u' ' || s.at(b) == u'\t'))
        ++b;
    while (e > b && (s.at(e - 1) == u' ' || s.at(e - 1) == u'\t'))
        --e;
    return s.mid(b, e - b);
}

QString firstLine(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) != u'\n' && text.at(i) != u'\r')
        ++i;
    return text.left(i);
}

TOneLineEdit::TOneLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (firstLine(text).size() == text.size()) {
            FLastText = text;
            return;
        }
        // keep the text around the inserted piece and the piece up to its first line break
        const QString &old = FLastText;
        qsizetype head = 0;
        while (head < old.size() && head < text.size() && old.at(head) == text.at(head))
            ++head;
        qsizetype tail = 0;
        while (tail < old.size() - head && tail < text.size() - head &&
               old.at(old.size() - 1 - tail) == text.at(text.size() - 1 - tail))
            ++tail;
        const QString inserted = firstLine(text.mid(head, text.size() - head - tail));
        setText(old.left(head) + inserted + old.right(tail));
        setCursorPosition(int(head + inserted.size()));
    });
}

void TOneLineEdit::PasteLine()
{
    if (isReadOnly())
        return;
    insert(firstLine(QGuiApplication::clipboard()->text()));
}

void TOneLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Paste) {
        PasteLine();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TOneLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (QAction *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, &TOneLineEdit::PasteLine);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TOneLineEdit::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data && data->hasText() && firstLine(data->text()).size() != data->text().size()) {
        QMimeData line;
        line.setText(firstLine(data->text()));
        QDropEvent copy(event->position(), event->possibleActions(), &line, event->buttons(), event->modifiers(),
                        event->type());
        QLineEdit::dropEvent(&copy);
        event->setDropAction(copy.dropAction());
        event->setAccepted(copy.isAccepted());
        return;
    }
    QLineEdit::dropEvent(event);
}

TCustomizeForm::TCustomizeForm(QWidget *owner, Qt::WindowFlags flags)
    : QDialog(owner, flags)
    , Updater(new ActionUpdater(this))
{
    actOK = NewAction("actOK", [this] { actOKExecute(); });
    actCancel = NewAction("actCancel", [this] { reject(); });
    actApply = NewAction("actApply", [this] { actApplyExecute(); });
    actApply->setEnabled(false);
}

void TCustomizeForm::UpdateActions()
{
    Updater->updateAll();
}

void TCustomizeForm::Changed()
{
    actApply->setEnabled(true);
}

QAction *TCustomizeForm::NewAction(const char *name, std::function<void()> execute, std::function<bool()> enabled)
{
    auto *a = new QAction(this);
    a->setObjectName(QString::fromLatin1(name));
    addAction(a);
    connect(a, &QAction::triggered, this, [execute = std::move(execute)] { execute(); });
    if (enabled)
        Updater->add(a, [enabled = std::move(enabled)](QAction *act) { act->setEnabled(enabled()); });
    return a;
}

void TCustomizeForm::BindButton(QAbstractButton *button, QAction *action)
{
    auto sync = [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
        button->setToolTip(action->toolTip() == action->text() ? QString() : action->toolTip());
    };
    sync();
    connect(action, &QAction::changed, button, sync);
    connect(button, &QAbstractButton::clicked, action, [action] {
        if (action->isEnabled())
            action->trigger();
    });
}

void TCustomizeForm::ApplyFontAndButtons(const TMemIni &table)
{
    const TTableFont tableFont = ReadTableFont(table, font(), property("Charset").toInt());
    setProperty("Charset", tableFont.charset);
    setFont(FontForCharset(tableFont.font, tableFont.charset));
    const QString cnst = QStringLiteral("Const");
    actOK->setText(table.ReadString(cnst, QStringLiteral("OK"), QString()));
    actCancel->setText(table.ReadString(cnst, QStringLiteral("Cancel"), QString()));
    actApply->setText(table.ReadString(cnst, QStringLiteral("Apply"), QString()));
}

void TCustomizeForm::Refuse(const QString &text)
{
    messageboxes::show(this, text, windowTitle(), messageboxes::OK | messageboxes::IconExclamation);
}

QToolBar *TCustomizeForm::NewToolBar(const QList<QAction *> &items)
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(16, 16));
    for (QAction *a : items) {
        if (a)
            bar->addAction(a);
        else
            bar->addSeparator();
    }
    return bar;
}

void TCustomizeForm::SetGlyphs(const QList<std::pair<QAction *, const char *>> &glyphs)
{
    for (const auto &[a, glyph] : glyphs)
        a->setIcon(glyphIcon(QString::fromUtf8(glyph)));
}

void TCustomizeForm::ApplyHints(const TMemIni &table, const QString &section, const QList<QAction *> &actions)
{
    for (QAction *a : actions) {
        const QString hint = table.ReadString(section, a->objectName(), QString());
        a->setText(hint);
        a->setToolTip(hint);
    }
}

QPushButton *TCustomizeForm::NewButton(const char *name, QAction *action)
{
    auto *button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    BindButton(button, action);
    return button;
}

void TCustomizeForm::LayOut(const QList<QWidget *> &widgets, int stretchAt, const QList<QPushButton *> &buttons)
{
    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    for (int i = 0; i < widgets.size(); ++i)
        layout->addWidget(widgets.at(i), i == stretchAt ? 1 : 0);
    layout->addWidget(bevel);
    layout->addLayout(row);
}

void TCustomizeForm::actApplyExecute()
{
    if (!CanApply())
        return;
    if (OnApply)
        OnApply(this);
    actApply->setEnabled(false);
}

void TCustomizeForm::actOKExecute()
{
    if (actApply->isEnabled()) {
        actApply->trigger();
        if (actApply->isEnabled())
            return; // refused: the user mends the list first
    }
    accept();
}

QIcon glyphIcon(const QString &glyph)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::TextAntialiasing);
        QFont f = QApplication::font();
        f.setPixelSize(size * 13 / 16);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0x1E, 0x4F, 0x9C));
        p.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
