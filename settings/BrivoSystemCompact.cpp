#include "settings/BrivoSystemCompact.h"

QString BrowserText;
QString HtmlFilterText;
QString MailSubjectText;
QString SaveBookmarkText;
QString UserAgentText;
QString MailToAddressText;

const QString SHelpFile = QStringLiteral("Brivo.hlp");
const QString SBlankPage = QStringLiteral("about:blank");
const QString SHomePageUrl = QStringLiteral("https://brivo.example.org/");
const QString SOnlineHelpUrl = QStringLiteral("https://brivo.example.org/help/");
