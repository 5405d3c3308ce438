#include "settings/BrivoInisCompact.h"

#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformPaths.h"
#include "platform/PlatformStore.h"
#include "platform/ProfileIni.h"
#include "platform/SystemLocale.h"
#include "platform/TextRules.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/ListChanges.h"

#include <QDir>
#include <QSet>

TBrivoIni *BrivoIni = nullptr;

const std::array<QString, LanguageCount> LanguageNames = {
    QStringLiteral("English"),
    QStringLiteral("JapaneseKanji"),
    QStringLiteral("JapaneseHiragana"),
    QStringLiteral("SimplifiedChinese"),
    QStringLiteral("TraditionalChinese"),
    QStringLiteral("Korean"),
    QStringLiteral("German"),
    QStringLiteral("French"),
    QStringLiteral("Italian"),
    QStringLiteral("Spanish"),
    QStringLiteral("Portuguese"),
};

namespace {
const QString kMain = QStringLiteral("Main");
const QString kBrivo = QStringLiteral("Brivo");
const QString kBrowser = QStringLiteral("Browser");
const QString kLinks = QStringLiteral("Links");
const QString kSearchs = QStringLiteral("Searchs");
const QString kMailBody = QStringLiteral("MailBody");
const QString kOpenedBrowsers = QStringLiteral("OpenedBrowsers");
const QString kToolButtons = QStringLiteral("ToolButtons");

// The lines as the file keeps them: those with a name, the first of two equal names.
QStringList firstOfEachName(const QStringList &lines)
{
    QStringList kept;
    QSet<QString> seen;
    for (const QString &line : lines) {
        const QString name = textrules::foldAscii(textrules::trim(textrules::lineName(line)));
        if (!name.isEmpty() && !seen.contains(name)) {
            seen.insert(name);
            kept.append(line);
        }
    }
    return kept;
}

// Tool-button layouts as lists of button numbers.
QStringList buttonList(const QString &layout)
{
    return layout.isEmpty() ? QStringList() : layout.split(u';');
}

TWindowState lowByteState(int v)
{
    return static_cast<TWindowState>(static_cast<std::uint8_t>(v & 0xFF));
}
} // namespace

QString RectToStr(const TRect &rect)
{
    return QStringLiteral("%1,%2,%3,%4").arg(rect.Left).arg(rect.Top).arg(rect.Right).arg(rect.Bottom);
}

TRect StrToRect(const QString &text)
{
    // the name part of a saved page window has the same first four pieces
    return TextToRect(text);
}

TBrivoIni::TBrivoIni()
    : TBrivoIni(platformpaths::settingsFile())
{}

TBrivoIni::TBrivoIni(const QString &fileName)
    : FileName(fileName)
    , IniFile(std::make_unique<ProfileIni>(fileName))
{
    Load();
    DetectLanguage();
    LoadLanguage(DetectedLanguage);
    // a file that cannot be read (too large, a pipe, one the user may not read) is told now, not at the
    // first write; it is left as it is, and the writes that fail on it are not told again
    const QString refused = IniFile->errorString();
    if (!refused.isEmpty()) {
        m_writeFailing = true;
        messageboxes::show(nullptr,
                           QString(SettingsUnreadableText)
                               .replace(QStringLiteral("%s"), QDir::toNativeSeparators(FileName))
                               .replace(QStringLiteral("%r"), refused),
                           applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
    }
}

TBrivoIni::~TBrivoIni() = default;

void TBrivoIni::Load()
{
    const ProfileIni &ini = *IniFile;
    WindowState = lowByteState(ini.readInteger(kMain, QStringLiteral("WindowState"), 2));
    Rect = StrToRect(ini.readString(kMain, QStringLiteral("Rect"), QStringLiteral("0,0,640,480")));
    WindowsBar = ini.readBool(kMain, QStringLiteral("WindowsBar"), true);
    SearchsBar = ini.readBool(kMain, QStringLiteral("SearchsBar"), false);
    LinksBar = ini.readBool(kMain, QStringLiteral("LinksBar"), true);
    Toolbar = ini.readBool(kMain, QStringLiteral("Toolbar"), true);
    AddressBar = ini.readBool(kMain, QStringLiteral("AddressBar"), true);
    StatusBar = ini.readBool(kMain, QStringLiteral("StatusBar"), true);
    ExplorerBar = ini.readBool(kMain, QStringLiteral("ExplorerBar"), false);
    ToolButtons = ini.readString(kMain, QStringLiteral("ToolButtons"), QString());
    ToolbarIcon = ini.readInteger(kMain, QStringLiteral("ToolbarIcon"), 0);
    ToolbarText = ini.readInteger(kMain, QStringLiteral("ToolbarText"), 0);
    ExplorerBarWidth = ini.readInteger(kMain, QStringLiteral("ExplorerBarWidth"), 200);
    ExplorerBarPage = ini.readInteger(kMain, QStringLiteral("ExplorerBarPage"), 0);
    FullScreen = ini.readBool(kMain, QStringLiteral("FullScreen"), false);
    Hiragana = ini.readBool(kBrivo, QStringLiteral("Hiragana"), false);
    BookmarkFile = ini.readString(kMain, QStringLiteral("BookmarkFile"), QString());
    Searchs = ini.readSectionValues(kSearchs);
    Links = ini.readSectionValues(kLinks);
    MailBody = ini.readSectionValues(kMailBody);
    BrowserWindowState = lowByteState(ini.readInteger(kBrowser, QStringLiteral("WindowState"), 2));
    OpenedBrowsers.LoadFromFile(FileName);
    // what the file holds now: the base that later changes are told apart from
    m_stored.clear();
    for (const QString &section : {kSearchs, kLinks, kMailBody, kOpenedBrowsers})
        m_stored.insert(textrules::foldAscii(section), firstOfEachName(ini.readSectionValues(section)));
    m_storedToolButtons = ToolButtons;
}

void TBrivoIni::SetWindowState(TWindowState value)
{
    WindowState = value;
    WrittenToFile(IniFile->writeInteger(kMain, QStringLiteral("WindowState"), static_cast<int>(value)));
}

void TBrivoIni::SetRect(const TRect &value)
{
    Rect = value;
    WrittenToFile(IniFile->writeString(kMain, QStringLiteral("Rect"), RectToStr(value)));
}

void TBrivoIni::SetWindowsBar(bool value)
{
    WindowsBar = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("WindowsBar"), value));
}

void TBrivoIni::SetLinksBar(bool value)
{
    LinksBar = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("LinksBar"), value));
}

void TBrivoIni::SetSearchsBar(bool value)
{
    SearchsBar = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("SearchsBar"), value));
}

void TBrivoIni::SetToolbar(bool value)
{
    Toolbar = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("Toolbar"), value));
}

void TBrivoIni::SetAddressBar(bool value)
{
    AddressBar = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("AddressBar"), value));
}

void TBrivoIni::SetStatusBar(bool value)
{
    StatusBar = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("StatusBar"), value));
}

void TBrivoIni::SetExplorerBar(bool value)
{
    ExplorerBar = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("ExplorerBar"), value));
}

void TBrivoIni::SetToolButtons(const QString &value)
{
    // the user's change of the layout, made to the layout as another program may have left it
    ToolButtons = value;
    QString written;
    const bool ok = IniFile->changeString(
        kMain, kToolButtons,
        [&](const QString &current) {
            ToolButtons = listchanges::merge(buttonList(m_storedToolButtons), buttonList(value), buttonList(current),
                                             listchanges::byText)
                              .join(u';');
            return ToolButtons;
        },
        &written);
    if (ok)
        m_storedToolButtons = written;
    WrittenToFile(ok);
}

void TBrivoIni::SetToolbarText(int value)
{
    ToolbarText = value;
    WrittenToFile(IniFile->writeInteger(kMain, QStringLiteral("ToolbarText"), value));
}

void TBrivoIni::SetToolbarIcon(int value)
{
    ToolbarIcon = value;
    WrittenToFile(IniFile->writeInteger(kMain, QStringLiteral("ToolbarIcon"), value));
}

void TBrivoIni::SetExplorerBarWidth(int value)
{
    ExplorerBarWidth = value;
    WrittenToFile(IniFile->writeInteger(kMain, QStringLiteral("ExplorerBarWidth"), value));
}

void TBrivoIni::SetExplorerBarPage(int value)
{
    ExplorerBarPage = value;
    WrittenToFile(IniFile->writeInteger(kMain, QStringLiteral("ExplorerBarPage"), value));
}

void TBrivoIni::SetFullScreen(bool value)
{
    FullScreen = value;
    WrittenToFile(IniFile->writeBool(kMain, QStringLiteral("FullScreen"), value));
}

void TBrivoIni::SetBookmarkFile(const QString &value)
{
    if (value == BookmarkFile)
        return;
    BookmarkFile = value;
    WrittenToFile(IniFile->writeString(kMain, QStringLiteral("BookmarkFile"), value));
}

void TBrivoIni::SetBrowserWindowState(TWindowState value)
{
    BrowserWindowState = value;
    WrittenToFile(IniFile->writeInteger(kBrowser, QStringLiteral("WindowState"), static_cast<int>(value)));
}

void TBrivoIni::SetHiragana(bool value)
{
    Hiragana = value;
    WrittenToFile(IniFile->writeBool(kBrivo, QStringLiteral("Hiragana"), value));
}

void TBrivoIni::SetLinks(const QStringList &value)
{
    ChangeList(kLinks, value, Links);
}

void TBrivoIni::SetSearchs(const QStringList &value)
{
    ChangeList(kSearchs, value, Searchs);
}

void TBrivoIni::SetMailBody(const QStringList &value)
{
    ChangeList(kMailBody, value, MailBody);
}

bool TBrivoIni::ChangeList(const QString &section, const QStringList &lines, QStringList &field)
{
    const QStringList storable = StorableLines(lines);
    QStringList &base = m_stored[textrules::foldAscii(section)];
    field = storable;
    QStringList written;
    const bool ok = IniFile->changeSection(
        section,
        [&](const QStringList &current) {
            field = listchanges::merge(base, storable, current);
            return field;
        },
        &written);
    if (ok)
        base = written;
    return WrittenToFile(ok);
}

QStringList TBrivoIni::StorableLines(const QStringList &lines)
{
    // every line is written: a name the file cannot hold is changed as little as it must be
    QStringList storable;
    QStringList changes;
    for (const QString &line : lines) {
        const QString name = textrules::lineName(line);
        const QString fixed = ProfileIni::storableName(name);
        if (name.isEmpty() || fixed == name) {
            storable << ProfileIni::storableValue(line);
            continue;
        }
        storable << ProfileIni::storableValue(fixed + line.mid(name.size()));
        changes << QStringLiteral("\"%1\" \u2192 \"%2\"").arg(name, fixed);
    }
    if (!changes.isEmpty())
        messageboxes::show(
            nullptr,
            QStringLiteral("These names cannot be stored as they stand and were changed:\n%1").arg(changes.join(u'\n')),
            applicationtitle::get(), messageboxes::OK | messageboxes::IconInformation);
    return storable;
}

bool TBrivoIni::WriteSection(const QString &section, const QStringList &lines, QStringList *stored)
{
    const QStringList storable = StorableLines(lines);
    // the file keeps the first of two equal names and drops the later one
    QList<QPair<QString, QString>> pairs;
    pairs.reserve(storable.size());
    for (const QString &line : std::as_const(storable)) {
        const QString name = textrules::lineName(line);
        if (!name.isEmpty())
            pairs.append({name, textrules::lineValue(line)});
    }
    if (stored)
        *stored = storable;
    const bool ok = IniFile->replaceSection(section, pairs);
    if (ok)
        m_stored.insert(textrules::foldAscii(section), firstOfEachName(storable));
    return WrittenToFile(ok);
}

bool TBrivoIni::SaveOpenedBrowsers()
{
    // the windows saved here replace those this program saved or read before; windows another
    // program saved in the meantime stay
    QStringList &base = m_stored[textrules::foldAscii(kOpenedBrowsers)];
    const QStringList mine = OpenedBrowsers;
    QStringList written;
    const bool ok = IniFile->changeSection(
        kOpenedBrowsers,
        [&](const QStringList &current) {
            // each window keeps a name of its own, so none hides another
            QStringList merged = listchanges::merge(base, mine, current, listchanges::byText);
            for (qsizetype i = 0; i < merged.size(); ++i)
                merged[i] = WithSequence(merged.at(i), int(i));
            return merged;
        },
        &written);
    if (ok) {
        base = written;
        OpenedBrowsers.clear();
        OpenedBrowsers.append(written);
    }
    return WrittenToFile(ok);
}

bool TBrivoIni::WrittenToFile(bool ok)
{
    // the reason is read only now, after the write that failed
    return Written(ok, ok ? QString() : IniFile->errorString());
}

bool TBrivoIni::Written(bool ok, const QString &reason)
{
    if (ok) {
        m_writeFailing = false;
        return true;
    }
    if (!m_writeFailing) {
        m_writeFailing = true;
        messageboxes::show(nullptr,
                           QStringLiteral("The settings could not be saved to %1: %2\nThe changes are kept while "
                                          "the program runs.")
                               .arg(QDir::toNativeSeparators(FileName), reason),
                           applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
    }
    return false;
}

void TBrivoIni::SetLanguage(TLanguage value)
{
    if (value == Language)
        return;
    LoadLanguage(value);
    Language = value;
}

bool TBrivoIni::ResetToDefaults()
{
    std::unique_ptr<TMemIni> defaults;
    try {
        defaults = std::make_unique<TMemIni>(QStringLiteral("BRIVOINI"), QStringLiteral("INI"));
    } catch (const PlatformError &) {
        return false;
    }
    ToolButtons = defaults->ReadString(kMain, QStringLiteral("ToolButtons"), QString());
    defaults->ReadSectionValues(QStringLiteral("Searchs"), Searchs);
    defaults->ReadSectionValues(QStringLiteral("Links"), Links);
    // each write stops the rest when it fails
    if (WrittenToFile(IniFile->writeString(kMain, kToolButtons, ToolButtons))) {
        m_storedToolButtons = ToolButtons;
        if (WriteSection(kSearchs, Searchs))
            WriteSection(kLinks, Links);
    }
    return true;
}

QString TBrivoIni::GetIEStartPage() const
{
    const QString key = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
    if (!platformstore::keyExists(Hive::CurrentUser, key))
        return {};
    return platformstore::readString(Hive::CurrentUser, key, QStringLiteral("Start Page")).value_or(QString());
}

QString TBrivoIni::GetDefaultMailClient() const
{
    const QString key = QStringLiteral("SOFTWARE\\Clients\\Mail");
    if (!platformstore::keyExists(Hive::LocalMachine, key))
        return {};
    return platformstore::readString(Hive::LocalMachine, key, QString()).value_or(QString());
}

void TBrivoIni::DetectLanguage()
{
    const QString abbreviation = systemlocale::abbreviation().left(4).toLower();
    static const struct {
        const char *abbreviation;
        TLanguage language;
    } table[] = {
        {"jpn", TLanguage::JapaneseKanji},
        {"cht", TLanguage::TraditionalChinese},
        {"chs", TLanguage::SimplifiedChinese},
        {"kor", TLanguage::Korean},
        {"fra", TLanguage::French},
        {"deu", TLanguage::German},
        {"ita", TLanguage::Italian},
        {"esp", TLanguage::Spanish},
        {"ptg", TLanguage::Portuguese},
    };
    DetectedLanguage = TLanguage::English;
    for (const auto &e : table)
        if (abbreviation == QLatin1String(e.abbreviation)) {
            DetectedLanguage = e.language;
            break;
        }
    if (DetectedLanguage == TLanguage::JapaneseKanji && Hiragana)
        DetectedLanguage = TLanguage::JapaneseHiragana;
    Language = DetectedLanguage;
}

void TBrivoIni::LoadLanguage(TLanguage language)
{
    LanguageTable.reset();
    std::unique_ptr<TMemIni> table;
    try {
        table = std::make_unique<TMemIni>(LanguageNames.at(static_cast<int>(language)), QStringLiteral("INI"));
    } catch (const std::exception &) {
        try {
            table = std::make_unique<TMemIni>(QStringLiteral("English"), QStringLiteral("INI"));
        } catch (const std::exception &) {
            return; // no table at all: the texts keep their values
        }
    }
    const QString cnst = QStringLiteral("Const");
    AdvertPage = table->ReadString(cnst, QStringLiteral("AdvertPage"), SBlankPage);
    StartPage = table->ReadString(cnst, QStringLiteral("StartPage"), SBlankPage);
    BrowserText = table->ReadString(cnst, QStringLiteral("Browser"), QString());
    HtmlFilterText = table->ReadString(cnst, QStringLiteral("HtmlFilter"), QString());
    MailSubjectText = table->ReadString(cnst, QStringLiteral("MailSubject"), QString());
    SaveBookmarkText = table->ReadString(cnst, QStringLiteral("SaveBookmark"), QString());
    BookmarkChangedText = table->ReadString(cnst, QStringLiteral("BookmarkChanged"), DefaultBookmarkChangedText);
    LimitOpenFilesText = table->ReadString(cnst, QStringLiteral("LimitOpenFiles"), DefaultLimitOpenFilesText);
    LimitAddressSpaceText = table->ReadString(cnst, QStringLiteral("LimitAddressSpace"), DefaultLimitAddressSpaceText);
    BookmarkUnreadableText =
        table->ReadString(cnst, QStringLiteral("BookmarkUnreadable"), DefaultBookmarkUnreadableText);
    SettingsUnreadableText =
        table->ReadString(cnst, QStringLiteral("SettingsUnreadable"), DefaultSettingsUnreadableText);
    LanguageTable = std::move(table);
}
