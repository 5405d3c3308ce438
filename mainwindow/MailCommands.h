#pragma once
// The main window's mail commands' routines that stand apart from the window.
#include <QString>
#include <QStringList>

// Starts a command line (a program and its arguments, quoted as desktop entries quote them) without
// a shell: environment strings expanded, "%1" in any argument replaced by percentOne, other field
// codes removed. False when nothing could be started.
bool StartCommandLine(const QString &line, const QString &percentOne);
// Starts the mail client's mailto command with "MailTo:" and the feedback address in place of "%1";
// false when the client has no such command or it could not be started.
bool RunMailToCommand(const QString &client);
// The mail body: the name of each "name=1" entry followed by CR LF, in list order.
QString MailBodyText(const QStringList &entries);
