#pragma once
// The address box: an editable combo box of addresses, each with the icon of what it names (a file,
// a folder, or a web page). It loads the typed-URL list of the store (current user,
// Software\Microsoft\Internet Explorer\TypedURLs, values Url1..Url25) when created and writes it back
// when destroyed, completes what is typed from the typed URLs, the history and file paths, accepts
// dropped links, and asks for navigation through OnNavigateUrl on Enter and after a drop. Showing an
// address (SetUrl) never overwrites what the user is typing; once the typed text has been opened (Enter, a
// drop), the box shows addresses again although it keeps the focus.
#include "platform/HistoryStore.h"
#include "settings/CommonUtils.h"

#include <QComboBox>
#include <QStringList>
#include <functional>

class QCompleter;
class QStringListModel;
class TCustomUrlDropTarget;

class TUrlComboBox : public QComboBox {
    Q_OBJECT
public:
    // Completion sources.
    enum TFileOption { FileSystem = 0x1, UrlHistory = 0x2, UrlMRU = 0x4 };
    Q_DECLARE_FLAGS(TFileOptions, TFileOption)
    // Inline completion of the typed text (off unless forced on).
    enum class TUrlAutoComplete { acDefault, acForceOn, acForceOff };
    // The drop-down list of suggestions (on unless forced off).
    enum class TUrlAutoSuggest { asDefault, asForceOn, asForceOff };

    static constexpr char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    // The typed-URL list keeps this many of the newest addresses.
    static constexpr int MaxTypedUrls = 25;
    // At most this many suggestions are offered.
    static constexpr int MaxSuggestions = 50;
    // No longer address is listed or offered as a suggestion (the history's own bound for completion).
    static constexpr qsizetype MaxListedUrl = HistoryStore::MaxCompletionLength;

    // Creates the drop target, registers it and loads the typed URLs.
    explicit TUrlComboBox(QWidget *parent = nullptr);
    // Saves the typed URLs when SaveUrl is on.
    ~TUrlComboBox() override;

    // The box's text.
    QString Url() const;
    // Shows an address, unless the box has the focus and the user has changed its text since it last
    // showed or opened one; a non-empty address joins the list. In a box with the focus the address is
    // shown selected, so typing replaces it.
    void SetUrl(const QString &value);

    TCustomUrlDropTarget *UrlDropTarget() const { return m_dropTarget; }
    // Write the list to the typed-URL key when the box goes.
    bool SaveUrl = true;
    TFileOptions FileOptions() const { return m_fileOptions; }
    void SetFileOptions(TFileOptions options);
    TUrlAutoComplete UrlAutoComplete() const { return m_autoComplete; }
    void SetUrlAutoComplete(TUrlAutoComplete mode);
    TUrlAutoSuggest UrlAutoSuggest() const { return m_autoSuggest; }
    void SetUrlAutoSuggest(TUrlAutoSuggest mode);
    // Registers (true) or revokes (false) the drop target at once.
    bool AutoOleDrop() const { return m_autoOleDrop; }
    void SetAutoOleDrop(bool value);

    // Fired with the box and the address to open.
    TNavigateUrlEvent OnNavigateUrl;

    // Reads Url1..Url25 (a missing number is skipped, an address already listed in any letter case
    // is not added again), selects the first item and empties the text.
    void LoadTypedUrls();
    // Writes what the box's list changed since it was read or saved (addresses added, moved to the end)
    // into the list as the store holds it now, and keeps the newest MaxTypedUrls of that (the last) as
    // Url1..UrlN in list order, without values of higher numbers: addresses another program or box
    // saved in the meantime stay. A write that fails is told once (with the store's file and the
    // reason) however many boxes fail after it; the list stays as it is. False when the store could
    // not be written.
    bool SaveTypedUrls();
    // Forgets every typed address: the store's list and the lists of all address boxes. False when the
    // store could not be written.
    static bool ClearTypedUrls();
    // Appends a non-empty text not yet listed (in any letter case) with its icon and selects it;
    // false when nothing was added. One address is listed once: a typed text ("example.org/a") and
    // the address it opens ("http://example.org/a") are one item, which holds the address.
    bool AddUrl(const QString &text);
    // The icon of an address: a "file:" URL or an absolute path of an existing file or folder gets
    // that file's or folder's icon, anything else the icon of web pages.
    static QIcon GetUrlIcon(const QString &address);

    // Where history suggestions come from; by default the shared history store.
    using THistorySource = std::function<QStringList(const QString &typed, int limit)>;
    void SetHistorySource(THistorySource source);
    // The suggestions for a typed text, from the sources in FileOptions: listed addresses, then the
    // history, then file paths; no address twice, none longer than MaxListedUrl.
    QStringList CompletionsFor(const QString &typed) const;
    QCompleter *UrlCompleter() const { return m_completer; }

    // Opening the list puts the focus in the edit field without a selection, so what is typed next
    // goes on from the text. While the list is open, Up and Down step through it and show the item
    // reached, and typing goes to the edit field: the list stays open while it holds the text.
    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int indexOfUrl(const QString &text) const;
    // The item that names the same address as text in another form, or -1.
    int indexOfSameAddress(const QString &text) const;
    bool listKeyPressed(QKeyEvent *key);
    // A press outside the open suggestions closes them and still reaches what it was aimed at.
    bool pressedOutsideSuggestions(QMouseEvent *mouse);
    void enterPressed();
    void navigate(const QString &url);
    void handleDrop(const QString &url);
    void textEdited(const QString &text);
    void configureCompleter();

    TCustomUrlDropTarget *m_dropTarget = nullptr;
    TFileOptions m_fileOptions = TFileOptions(FileSystem | UrlHistory | UrlMRU);
    TUrlAutoComplete m_autoComplete = TUrlAutoComplete::acDefault;
    TUrlAutoSuggest m_autoSuggest = TUrlAutoSuggest::asDefault;
    bool m_autoOleDrop = true;
    THistorySource m_historySource;
    QCompleter *m_completer = nullptr;
    QStringListModel *m_suggestions = nullptr;
    qsizetype m_lastEditLength = 0;
    // The user changed the text since an address was last shown or opened.
    bool m_typing = false;
    // A key handed on to the open list by the box itself.
    bool m_passingKey = false;
    // The typed-URL list as the store held it when this box last read or saved it.
    QStringList m_storedUrls;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TUrlComboBox::TFileOptions)
