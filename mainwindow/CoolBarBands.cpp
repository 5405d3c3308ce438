#include "mainwindow/CoolBarBands.h"

#include "browser/UrlComboBoxes.h"
#include "mainwindow/AlignComboBoxs.h"
#include "mainwindow/Avis.h"
#include "mainwindow/ComboLists.h"
#include "mainwindow/Hints.h"
#include "mainwindow/Icons.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/ResizeLabels.h"
#include "platform/PageScrollers.h"
#include "platform/TextRules.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

QToolButton *flatButton(QWidget *parent, const QString &name, const QIcon &icon)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(icon);
    b->setAutoRaise(true);
    return b;
}

} // namespace

CoolBand::CoolBand(QWidget *parent, const QString &name)
    : QWidget(parent)
    , m_row(new QHBoxLayout(this))
{
    setObjectName(name);
    m_row->setContentsMargins(2, 1, 2, 1);
    m_row->setSpacing(4);
}

LinksBand::LinksBand(QWidget *parent)
    : CoolBand(parent, QStringLiteral("pnlLinks"))
    , lblLinks(new TResizeLabel(this))
    , pgsLinks(new TPageScroller(this))
    , tlbLinks(new QToolBar)
{
    lblLinks->setObjectName(QStringLiteral("lblLinks"));
    row()->addWidget(lblLinks);
    pgsLinks->setObjectName(QStringLiteral("pgsLinks"));
    tlbLinks->setObjectName(QStringLiteral("tlbLinks"));
    tlbLinks->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tlbLinks->setIconSize(QSize(16, 16));
    tlbLinks->setContextMenuPolicy(Qt::CustomContextMenu);
    for (int i = 0; i < ButtonCount; ++i) {
        QToolButton *button = flatButton(tlbLinks, QStringLiteral("tlbtn%1").arg(i), icons::menuIcon(8));
        button->setProperty("Tag", i);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QToolButton::clicked, this, [this, button] { emit linkClicked(button); });
        connect(button, &QWidget::customContextMenuRequested, this,
                [this, button](const QPoint &pos) { emit linkMenuRequested(button, pos); });
        QAction *holder = tlbLinks->addWidget(button);
        holder->setVisible(false);
        button->setProperty("Holder", QVariant::fromValue(holder));
        m_buttons.append(button);
    }
    pgsLinks->setControl(tlbLinks);
    row()->addWidget(pgsLinks);
    row()->setStretch(1, 1);
}

void LinksBand::ApplyLanguage(const TMemIni &table)
{
    lblLinks->setText(mainText(table, QStringLiteral("lblLinks")));
}

void LinksBand::setLinks(const QStringList &links)
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        QToolButton *button = m_buttons.at(i);
        auto *holder = button->property("Holder").value<QAction *>();
        if (i < links.size()) {
            QString caption = ShortCaption(textrules::lineName(links.at(i)));
            caption.replace(u'&', QStringLiteral("&&"));
            button->setText(caption);
            hints::setHint(button, textrules::valueOf(links, textrules::lineName(links.at(i))));
            holder->setVisible(true);
        } else {
            holder->setVisible(false);
        }
    }
}

MenuBand::MenuBand(QWidget *parent, const QList<QMenu *> &menus)
    : CoolBand(parent, QStringLiteral("pnlMenu"))
    , pnlCompanyMark(new QWidget(this))
    , CompanyMark(new REZI(pnlCompanyMark))
    , pgsMenu(new TPageScroller(this))
    , tlbMenu(new QToolBar)
    , pnlLinks(nullptr)
{
    setFixedHeight(46);
    pnlCompanyMark->setObjectName(QStringLiteral("pnlCompanyMark"));
    pnlCompanyMark->setFixedSize(46, 46);
    CompanyMark->setObjectName(QStringLiteral("CompanyMark"));
    row()->addWidget(pnlCompanyMark);
    pgsMenu->setObjectName(QStringLiteral("pgsMenu"));
    tlbMenu->setObjectName(QStringLiteral("tlbMenu"));
    tlbMenu->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QMenu *menu : menus) {
        // mniFile has the button tlbtnFile
        QToolButton *b = flatButton(tlbMenu, QStringLiteral("tlbtn") + menu->objectName().mid(3), QIcon());
        b->setText(menu->objectName());
        b->setMenu(menu);
        b->setPopupMode(QToolButton::InstantPopup);
        b->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
        tlbMenu->addWidget(b);
        m_menuButtons.append(b);
    }
    pgsMenu->setControl(tlbMenu);
    row()->addWidget(pgsMenu);
    pnlLinks = new LinksBand(this);
    row()->addWidget(pnlLinks);
    row()->setStretch(2, 1);
}

void MenuBand::ApplyLanguage(const TMemIni &table)
{
    for (QToolButton *b : std::as_const(m_menuButtons)) {
        b->setText(mainText(table, b->objectName()));
        hints::setHint(b, mainText(table, b->objectName() + QStringLiteral("Hint")));
    }
    pnlLinks->ApplyLanguage(table);
}

SearchBand::SearchBand(QWidget *parent)
    : CoolBand(parent, QStringLiteral("pnlSearchsBar"))
    , cmbKeyWords(new TAlignComboBox(this))
    , cmblstSearchs(new TComboList(this))
    , tlbtnSearch(
          flatButton(this, QStringLiteral("tlbtnSearch"), style()->standardIcon(QStyle::SP_FileDialogContentsView)))
{
    cmbKeyWords->setObjectName(QStringLiteral("cmbKeyWords"));
    cmbKeyWords->setMinimumWidth(160);
    row()->addWidget(cmbKeyWords);
    cmblstSearchs->setObjectName(QStringLiteral("cmblstSearchs"));
    cmblstSearchs->setMultiSelect(true);
    cmblstSearchs->DropDownCount = 15;
    cmblstSearchs->setMinimumWidth(200);
    row()->addWidget(cmblstSearchs);
    tlbtnSearch->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    row()->addWidget(tlbtnSearch);
    row()->addStretch();
    // the box takes the focus and the keys and hands them on to its edit field itself, which may hand
    // Enter back to the box
    cmbKeyWords->installEventFilter(this);
    cmbKeyWords->lineEdit()->installEventFilter(this);
}

void SearchBand::ApplyLanguage(const TMemIni &table)
{
    m_keywordsWord = mainText(table, QStringLiteral("cmbKeyWords"));
    cmbKeyWords->setEditText(m_keywordsWord);
    tlbtnSearch->setText(mainText(table, QStringLiteral("tlbtnSearch")));
}

bool SearchBand::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cmbKeyWords && event->type() == QEvent::FocusIn && !m_keywordsWord.isEmpty() &&
        cmbKeyWords->currentText() == m_keywordsWord) {
        // after the click that gave the focus has placed the caret
        QTimer::singleShot(0, cmbKeyWords, [box = cmbKeyWords] { box->lineEdit()->selectAll(); });
    }
    if ((watched == cmbKeyWords || watched == cmbKeyWords->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            tlbtnSearch->click();
            return true;
        }
    }
    return CoolBand::eventFilter(watched, event);
}

AddressBand::AddressBand(QWidget *parent)
    : CoolBand(parent, QStringLiteral("pnlAddressBar"))
    , lblAddress(new QLabel(this))
    , IEAddress(new TUrlComboBox(this))
    , tlbtnGo(flatButton(this, QStringLiteral("tlbtnGo"), style()->standardIcon(QStyle::SP_ArrowRight)))
{
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    row()->addWidget(lblAddress);
    IEAddress->setObjectName(QStringLiteral("IEAddress"));
    IEAddress->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row()->addWidget(IEAddress);
    tlbtnGo->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    row()->addWidget(tlbtnGo);
    // Enter in the box (and a drop on it) goes as the button does
    IEAddress->OnNavigateUrl = [this](QObject *, const QString &) { tlbtnGo->click(); };
}

void AddressBand::ApplyLanguage(const TMemIni &table)
{
    lblAddress->setText(mainText(table, QStringLiteral("lblAddress")));
    tlbtnGo->setText(mainText(table, QStringLiteral("tlbtnGo")));
}

FullScreenPanel::FullScreenPanel(QWidget *parent, const MainCommands &commands)
    : CoolBand(parent, QStringLiteral("pnlFullScreen"))
    , tlbBackup(new QToolBar(this))
    , ToolBar2(new QToolBar(this))
    , tlbtnMinimize(
          flatButton(ToolBar2, QStringLiteral("tlbtnMinimize"), style()->standardIcon(QStyle::SP_TitleBarMinButton)))
    , tlbtnRestore(
          flatButton(ToolBar2, QStringLiteral("tlbtnRestore"), style()->standardIcon(QStyle::SP_TitleBarNormalButton)))
    , tlbtnClose(
          flatButton(ToolBar2, QStringLiteral("tlbtnClose"), style()->standardIcon(QStyle::SP_TitleBarCloseButton)))
{
    tlbBackup->setObjectName(QStringLiteral("tlbBackup"));
    tlbBackup->setIconSize(QSize(16, 16));
    for (int number = 0; number < MainCommands::toolButtonTemplateCount(); ++number) {
        const QString name = MainCommands::toolButtonTemplate(number);
        if (name.isEmpty())
            tlbBackup->addSeparator();
        else
            tlbBackup->addAction(commands.action(name));
    }
    row()->addWidget(tlbBackup);
    row()->addStretch();
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    for (QToolButton *b : {tlbtnMinimize, tlbtnRestore, tlbtnClose})
        ToolBar2->addWidget(b);
    row()->addWidget(ToolBar2);
}

void FullScreenPanel::ApplyLanguage(const TMemIni &table)
{
    for (QToolButton *b : {tlbtnMinimize, tlbtnRestore, tlbtnClose})
        hints::setHint(b, mainText(table, b->objectName()));
}
