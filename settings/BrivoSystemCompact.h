#pragma once
// Program-wide texts taken from the current language table, and the program's fixed strings.
#include <QString>

// Filled by the settings object at every language load.
extern QString BrowserText;      // [Const] Browser: the word for a page window
extern QString HtmlFilterText;   // [Const] HtmlFilter: "description|pattern|..." for file dialogs
extern QString MailSubjectText;  // [Const] MailSubject
extern QString SaveBookmarkText; // [Const] SaveBookmark: the question asked at close
// [Const] BookmarkChanged: the question asked before a save replaces a bookmark file another program
// changed ("%s" is the file), with its English text for when no table is loaded
extern QString BookmarkChangedText;
extern const QString DefaultBookmarkChangedText;
// [Const] LimitOpenFiles and LimitAddressSpace: why the program does not start when a limit of the
// process leaves the web engine too little room ("%1" the limit, "%2" what the engine needs), with
// their English texts for when no table is loaded
extern QString LimitOpenFilesText;
extern QString LimitAddressSpaceText;
extern const QString DefaultLimitOpenFilesText;
extern const QString DefaultLimitAddressSpaceText;
// [Const] BookmarkUnreadable: told at start when the bookmark file of the settings cannot be read ("%s"
// the file, "%r" the reason); [Const] SettingsUnreadable: the same for the settings file. Each with
// its English text for when no table is loaded.
extern QString BookmarkUnreadableText;
extern const QString DefaultBookmarkUnreadableText;
extern QString SettingsUnreadableText;
extern const QString DefaultSettingsUnreadableText;
// Filled by the main window's language routine.
extern QString UserAgentText;     // [Brivo] CompactBrivoUserAgent
extern QString MailToAddressText; // [Brivo] BrivoMailToAddress

extern const QString SHelpFile;      // the help file's name
extern const QString SBlankPage;     // "about:blank"
extern const QString SHomePageUrl;   // the program's home page
extern const QString SOnlineHelpUrl; // the help page on the web, used when the help pages are missing
