#pragma once
// The one settings object: owns the settings file, reads every setting once at construction and
// writes each change through at once; holds the current language with its table.
#include "platform/Types.h"
#include "settings/MemInis.h"
#include "settings/OpenedBrowserses.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

class ProfileIni;

// The user-interface languages in menu order; the value is also the language action's tag.
enum class TLanguage : std::uint8_t {
    English,
    JapaneseKanji,
    JapaneseHiragana,
    SimplifiedChinese,
    TraditionalChinese,
    Korean,
    German,
    French,
    Italian,
    Spanish,
    Portuguese,
};
constexpr int LanguageCount = 11;
// Each language's name, which is also the name of its table resource.
extern const std::array<QString, LanguageCount> LanguageNames;

QString RectToStr(const TRect &rect);
// Blanks removed, split at ",", the first four pieces as decimal edges; 0,0,640,480 on any failure.
TRect StrToRect(const QString &text);

class TBrivoIni {
public:
    // Opens the settings file at platformpaths::settingsFile() and loads everything.
    TBrivoIni();
    // The same over a given settings file (tests).
    explicit TBrivoIni(const QString &fileName);
    ~TBrivoIni();
    TBrivoIni(const TBrivoIni &) = delete;
    TBrivoIni &operator=(const TBrivoIni &) = delete;

    QString FileName;
    std::unique_ptr<ProfileIni> IniFile;
    TLanguage Language = TLanguage::English;
    std::unique_ptr<TMemIni> LanguageTable; // null only when no table could be built
    TLanguage DetectedLanguage = TLanguage::English;
    QString StartPage;
    QString AdvertPage;
    QStringList Links;
    QStringList Searchs;
    QStringList MailBody;
    TOpenedBrowsers OpenedBrowsers;
    TWindowState WindowState = TWindowState::wsMaximized;
    TRect Rect{0, 0, 640, 480};
    bool WindowsBar = true;
    bool SearchsBar = false;
    bool LinksBar = true;
    bool Toolbar = true;
    bool AddressBar = true;
    bool StatusBar = true;
    bool ExplorerBar = false;
    QString ToolButtons;
    int ToolbarIcon = 0;
    int ToolbarText = 0;
    int ExplorerBarWidth = 200;
    int ExplorerBarPage = 0;
    bool FullScreen = false;
    TWindowState BrowserWindowState = TWindowState::wsMaximized;
    bool Hiragana = false;
    QString BookmarkFile;

    // Each setter stores the value, then writes its key. A failed write keeps the value in memory and
    // is told to the user once (with the file and the system's reason) until a write succeeds again.
    void SetWindowState(TWindowState value);
    void SetRect(const TRect &value);
    void SetWindowsBar(bool value);
    void SetLinksBar(bool value);
    void SetSearchsBar(bool value);
    void SetToolbar(bool value);
    void SetAddressBar(bool value);
    void SetStatusBar(bool value);
    void SetExplorerBar(bool value);
    // The layout as the user made it, merged with the layout another program stored in the meantime.
    void SetToolButtons(const QString &value);
    void SetToolbarText(int value);
    void SetToolbarIcon(int value);
    void SetExplorerBarWidth(int value);
    void SetExplorerBarPage(int value);
    void SetFullScreen(bool value);
    // Does nothing when the path equals the stored one (compared exactly: file names are
    // case-sensitive here).
    void SetBookmarkFile(const QString &value);
    void SetBrowserWindowState(TWindowState value);
    void SetHiragana(bool value);

    // The user's change of a list (the list as the user has made it from the one the program last read
    // or wrote), made to the section as the file holds it now, so what another program changed there in
    // the meantime stays (see listchanges::merge); names are made storable as WriteSection makes them.
    // The field then holds both programs' changes.
    void SetLinks(const QStringList &value);
    void SetSearchs(const QStringList &value);
    void SetMailBody(const QStringList &value);
    // Replaces the section by the named lines of the list (first of two equal names; lines without a
    // name skipped), in one atomic write. A name the file cannot hold as it stands (a leading "[" or
    // ";", a line break) is stored made storable and the user is told which; the lines as stored go to
    // stored. Returns false when the file could not be written (told as every failed write).
    bool WriteSection(const QString &section, const QStringList &lines, QStringList *stored = nullptr);
    // Writes the list of open page windows in place of the windows this program last read or saved;
    // windows another program saved since stay. OpenedBrowsers then holds the saved list. False (and
    // told) when the file could not be written.
    bool SaveOpenedBrowsers();

    // Loads that language's table when it differs from the current one; writes nothing.
    void SetLanguage(TLanguage value);
    // Copies the tool-button layout, the search engines and the links of the built-in default
    // settings into the fields and the file. False only when the defaults cannot be read.
    bool ResetToDefaults();
    QString GetIEStartPage() const;
    QString GetDefaultMailClient() const;

    void DetectLanguage();
    void LoadLanguage(TLanguage language);

private:
    void Load();
    // Names the file cannot hold made storable; the user is told which were changed.
    QStringList StorableLines(const QStringList &lines);
    // Applies the change from the section's base to lines to the section as it is now; field gets the result.
    bool ChangeList(const QString &section, const QStringList &lines, QStringList &field);
    // Passes ok on; a failure is told to the user unless the last write failed too.
    bool Written(bool ok, const QString &reason);
    // The same for a write of the settings file, told with the reason that write failed for.
    bool WrittenToFile(bool ok);
    bool m_writeFailing = false;
    // The lists as the file held them when this program last read or wrote them (folded section name
    // -> lines), and the tool-button layout likewise: what a change is told apart from.
    QHash<QString, QStringList> m_stored;
    QString m_storedToolButtons;
};

// The program's settings object, created by the start-up block before the main window.
extern TBrivoIni *BrivoIni;
