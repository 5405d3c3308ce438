#include "settings/BrivoSystemCompact.h"

QString BrowserText;
QString HtmlFilterText;
QString MailSubjectText;
QString SaveBookmarkText;
QString BookmarkChangedText;
QString LimitOpenFilesText;
QString LimitAddressSpaceText;
QString BookmarkUnreadableText;
QString SettingsUnreadableText;
QString UserAgentText;
QString MailToAddressText;

const QString DefaultBookmarkChangedText = QStringLiteral(
    "The bookmark list %s was changed by another program after it was opened here. Yes: open it again as it is now "
    "(the changes made here are lost). No: replace it with the list shown here. Cancel: save nothing now.");

const QString DefaultLimitOpenFilesText =
    QStringLiteral("Brivo may open only %1 files at a time (ulimit -n), and its web engine needs at least %2. Raise "
                   "the limit and start Brivo again.");
const QString DefaultLimitAddressSpaceText =
    QStringLiteral("Brivo may use only %1 MB of address space (ulimit -v), and its web engine needs at least %2 MB. "
                   "Raise the limit and start Brivo again.");
const QString DefaultBookmarkUnreadableText = QStringLiteral(
    "The bookmark list %s cannot be read: %r. It stays the list opened at start until another one is opened.");
const QString DefaultSettingsUnreadableText =
    QStringLiteral("The settings file %s cannot be read: %r. The program starts with its default settings and leaves "
                   "the file as it is; changes made now last only while it runs.");

const QString SHelpFile = QStringLiteral("Brivo.hlp");
const QString SBlankPage = QStringLiteral("about:blank");
const QString SHomePageUrl = QStringLiteral("https://brivo.example.org/");
const QString SOnlineHelpUrl = QStringLiteral("https://brivo.example.org/help/");
