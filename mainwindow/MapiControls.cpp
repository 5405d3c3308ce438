#include "mainwindow/MapiControls.h"

#include "platform/MailClient.h"

#include <QFileInfo>

TMapiControl::TMapiControl(QObject *owner)
    : QObject(owner)
{}

void TMapiControl::Reset()
{
    Subject.clear();
    Body.clear();
    FromName.clear();
    FromAddress.clear();
    Recipients.clear();
    CopyTo.clear();
    BlindCopyTo.clear();
    AttachedFiles.clear();
    FDisplayFileName.clear();
}

bool TMapiControl::SendMail()
{
    if (!AttachedFiles.isEmpty()) {
        FDisplayFileName.clear();
        for (const QString &file : std::as_const(AttachedFiles))
            FDisplayFileName.append(QFileInfo(file).fileName());
    }
    mailclient::Message message;
    message.subject = Subject;
    message.body = Body;
    message.to = Recipients;
    message.cc = CopyTo;
    message.bcc = BlindCopyTo;
    message.attachments = AttachedFiles;
    const int code = mailclient::send(message);
    if (code == mailclient::Success) {
        if (OnSuccess)
            OnSuccess(this);
    } else if (code == mailclient::UserAbort) {
        if (OnUserAbort)
            OnUserAbort(this);
    } else if (OnMapiError) {
        OnMapiError(this, code);
    }
    return unsigned(code) < 2;
}
