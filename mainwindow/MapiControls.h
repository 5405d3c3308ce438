#pragma once
// A component that sends one mail message through the user's mail program: the caller fills its
// properties and calls SendMail, which reports the outcome through one of three events and its
// result. The message goes to the mail client layer (platform/MailClient.h), which hands it to the
// desktop's mail program; a missing mail program or hand-over tool is an error, never a silent
// cancel, so the caller's fallback runs.
#include <QObject>
#include <QStringList>
#include <functional>

class TMapiControl;
using TNotifyEvent = std::function<void(QObject *sender)>;
using TMapiErrEvent = std::function<void(QObject *sender, int errCode)>;

class TMapiControl : public QObject {
    Q_OBJECT
public:
    explicit TMapiControl(QObject *owner = nullptr);

    QString Subject;
    QString Body;
    QString FromName;    // kept for callers; the desktop's mail program chooses the sender itself
    QString FromAddress; // likewise
    QStringList Recipients;
    QStringList CopyTo;
    QStringList BlindCopyTo;
    QStringList AttachedFiles;
    // The file-name part of each attachment, as the last send with attachments built it.
    const QStringList &DisplayFileName() const { return FDisplayFileName; }
    // Show the mail program's compose window (always the case on this platform, where the mail
    // program sends only when the user says so).
    bool ShowDialog = true;
    TNotifyEvent OnUserAbort;
    TMapiErrEvent OnMapiError;
    TNotifyEvent OnSuccess;

    // Empties the texts and the lists (DisplayFileName too); ShowDialog and the events stay.
    void Reset();
    // Hands the message over and fires one event; true on success or the user's cancel, false on any
    // other result.
    bool SendMail();

private:
    QStringList FDisplayFileName;
};
