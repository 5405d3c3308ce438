#pragma once
// The main window's commands. One row of the command table declares a command's name (its object name
// and its key in section [Main] of the language tables), Tag, shortcut, images, texts, when it is
// enabled, what it runs and where it sits in the menus and on the tool bar; the actions, the menus, the
// tool-bar actions ("acttb...") and the tool-button template are all built from those rows.
#include <QHash>
#include <QKeyCombination>
#include <QList>
#include <QString>
#include <span>

class ActionUpdater;
class QAction;
class QMenu;
class TMemIni;
class TfrmMain;

// The text read from section [Main] of a language table ("" when the key is absent).
QString mainText(const TMemIni &table, const QString &key);

class MainCommands {
public:
    // When a command is enabled.
    enum class Enable {
        Always,
        Page,        // a page window is active
        CanBack,     // the active page can go back
        CanForward,  // the active page can go forward
        PageSize,    // a page window is active; the mark follows its text-size action of the same Tag
        PageEncode,  // a page window is active; the mark follows its encoding action of the same Tag
        WindowState, // a page window is active and not already in the state the Tag names
        Link,        // the link the Tag names still exists
        // the favorites tree's selected node has a URL / may be deleted / may be renamed
        FavoriteUrl,
        FavoriteDelete,
        FavoriteRename,
        FavoriteTransfer,  // shown only when the favorites tree offers import and export
        HistoryUrl,        // the history tree's selected node has a URL
        HistoryUrlVisible, // shown (not merely enabled) only for a history node with a URL
        HistorySelected,   // a history node is selected
        BookmarkUrl,       // the bookmark tree's selected node has a URL
        BookmarkSelected,  // a bookmark node is selected
        BookmarkModified,  // the bookmark list has unsaved changes
        BookmarkList,      // the bookmark tree has a file
        Disabled,          // a language without a table
        Pending,           // the command needs a part of the program that has not been built yet
    };
    // The texts a row reads from section [Main].
    enum class Texts {
        None,
        CaptionAndHint, // caption from the key, hint from the key + "Hint"
        CaptionOnly,    // caption from the key
        CaptionIsHint,  // one text, both caption and hint
    };
    enum Flag : unsigned {
        Checkable = 1,
        Checked = 2,
        Menu = 4,    // the row declares a menu (a pop-up menu when it is placed nowhere)
        MenuBar = 8, // a menu with a button of its own on the menu bar
    };
    // A command's handler; the action is the one triggered (its Tag tells commands of a family apart).
    using Handler = void (*)(TfrmMain &window, QAction *action);
    // The command's twin on the tool bar, "acttb" + the name without "act": its number in the
    // tool-button template (what the settings store) and its tool-bar image.
    struct ToolButton {
        int number = -1;
        int image = -1;
    };

    struct Row {
        const char *name;
        int tag = 0;
        const char *shortcut = "";
        int image = -1; // menu image
        unsigned flags = 0;
        Enable enable = Enable::Always;
        Texts texts = Texts::CaptionAndHint;
        const char *textKey = nullptr; // the key read instead of the name
        // The menus the item is placed in, separated by blanks; "-" before a menu's name puts a
        // separator above the item in that menu. Items follow each other in the order of the rows.
        const char *menus = "";
        ToolButton tool{};
        Handler run = nullptr; // none while the command is pending
        // The key that runs the command when a page window has the focus and offers it (a page offers
        // Esc, the function keys and keys with Ctrl); a function key counts whatever the modifiers.
        const char *pageKey = "";
    };

    // Every command and menu of the main window, in menu order.
    static std::span<const Row> rows();

    // Builds the actions (added to the window, their shortcuts active in it), the menus and the
    // tool-bar actions, and connects each to its handler and its enabling rule.
    explicit MainCommands(TfrmMain &window);
    MainCommands(const MainCommands &) = delete;
    MainCommands &operator=(const MainCommands &) = delete;
    ~MainCommands();

    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *menu(const QString &name) const { return m_menus.value(name); }
    // The command whose page key this is; null when none.
    QAction *actionForPageKey(QKeyCombination key) const;
    // The menus with a button on the menu bar, in order.
    const QList<QMenu *> &menuBarMenus() const { return m_menuBar; }
    // Runs every enabling rule now (the event loop runs them whenever it goes idle).
    void updateAll();
    // Captions and hints of every action and menu.
    void ApplyLanguage(const TMemIni &table) const;

    // The tool-bar action of template button number; empty for a separator or a number out of range.
    static QString toolButtonTemplate(int number);
    static int toolButtonTemplateCount();

private:
    // rows of the two families whose commands differ only in name, Tag and place
    static Row encoding(const char *name, int tag, const char *menus, unsigned flags = 0);
    static Row language(const char *name, int tag, Enable enable = Enable::Always);
    void createAction(const Row &row, const QString &name, bool toolBar);
    void placeInMenus(const Row &row);
    static void update(TfrmMain &window, QAction *action, Enable rule);

    TfrmMain &m_window;
    ActionUpdater *m_updater;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QHash<int, QAction *> m_pageKeys; // by the combined key
    QList<QMenu *> m_menuBar;
};
