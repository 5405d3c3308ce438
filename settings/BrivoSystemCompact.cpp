#include "settings/BrivoSystemCompact.h"

QString BrowserText;
QString HtmlFilterText;
QString MailSubjectText;
QString SaveBookmarkText;
QString BookmarkChangedText;
QString UserAgentText;
QString MailToAddressText;

const QString DefaultBookmarkChangedText = QStringLiteral(
    "The bookmark list %s was changed by another program after it was opened here. Yes: open it again as it is now "
    "(the changes made here are lost). No: replace it with the list shown here. Cancel: save nothing now.");

const QString SHelpFile = QStringLiteral("Brivo.hlp");
const QString SBlankPage = QStringLiteral("about:blank");
const QString SHomePageUrl = QStringLiteral("https://brivo.example.org/");
const QString SOnlineHelpUrl = QStringLiteral("https://brivo.example.org/help/");
