#pragma once
// The bands of the main window's cool bar and its full-screen panel. Each band builds its parts under
// their component names (the language tables' keys) and reads its own texts.
#include <QList>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class MainCommands;
class REZI;
class TAlignComboBox;
class TComboList;
class TMemIni;
class TPageScroller;
class TResizeLabel;
class TUrlComboBox;

// A band: its parts in one row.
class CoolBand : public QWidget {
    Q_OBJECT
public:
    CoolBand(QWidget *parent, const QString &name);

protected:
    QHBoxLayout *row() const { return m_row; }

private:
    QHBoxLayout *m_row;
};

// pnlLinks: the label and the twenty link buttons (tlbtn0 .. tlbtn19), of which as many show as there
// are links.
class LinksBand : public CoolBand {
    Q_OBJECT
public:
    static constexpr int ButtonCount = 20;
    explicit LinksBand(QWidget *parent);
    void ApplyLanguage(const TMemIni &table);
    // One button per "name=url" line (the rest hidden): the short name as caption, the URL as hint.
    void setLinks(const QStringList &links);
    const QList<QToolButton *> &buttons() const { return m_buttons; }

    TResizeLabel *lblLinks;
    TPageScroller *pgsLinks;
    QToolBar *tlbLinks;

signals:
    void linkClicked(QToolButton *button);
    void linkMenuRequested(QToolButton *button, const QPoint &pos);

private:
    QList<QToolButton *> m_buttons;
};

// pnlMenu: the logo, one button per menu-bar menu (tlbtnFile for mniFile...) and the links band.
class MenuBand : public CoolBand {
    Q_OBJECT
public:
    MenuBand(QWidget *parent, const QList<QMenu *> &menus);
    void ApplyLanguage(const TMemIni &table);

    QWidget *pnlCompanyMark;
    REZI *CompanyMark;
    TPageScroller *pgsMenu;
    QToolBar *tlbMenu;
    LinksBand *pnlLinks;

private:
    QList<QToolButton *> m_menuButtons;
};

// pnlSearchsBar: the keyword box, the search-engine list and the search button.
// Enter in the keyword box searches as the button does; while the box still shows the table's word
// ("Keywords"), taking the focus selects it, so what the user types replaces it.
class SearchBand : public CoolBand {
    Q_OBJECT
public:
    explicit SearchBand(QWidget *parent);
    void ApplyLanguage(const TMemIni &table);

    TAlignComboBox *cmbKeyWords;
    TComboList *cmblstSearchs;
    QToolButton *tlbtnSearch;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_keywordsWord;
};

// pnlAddressBar: the address box and its go button.
class AddressBand : public CoolBand {
    Q_OBJECT
public:
    explicit AddressBand(QWidget *parent);
    void ApplyLanguage(const TMemIni &table);

    QLabel *lblAddress;
    TUrlComboBox *IEAddress;
    QToolButton *tlbtnGo;
};

// pnlFullScreen: shown instead of the cool bar in full screen; every tool-bar button of the template
// and the minimise, restore and close buttons.
class FullScreenPanel : public CoolBand {
    Q_OBJECT
public:
    FullScreenPanel(QWidget *parent, const MainCommands &commands);
    void ApplyLanguage(const TMemIni &table);

    QToolBar *tlbBackup;
    QToolBar *ToolBar2;
    QToolButton *tlbtnMinimize;
    QToolButton *tlbtnRestore;
    QToolButton *tlbtnClose;
};
