// The Tools menu's mail, customise and reset commands of the main window, and how the customise
// dialogs' results are applied.
#include "mainwindow/CustomizeDialog.h"
#include "mainwindow/CustomizeToolButtons.h"
#include "mainwindow/MailToOptions.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/MapiControls.h"
#include "platform/ApplicationTitle.h"
#include "platform/DesktopEntries.h"
#include "platform/DialogRunner.h"
#include "platform/MailClient.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformStore.h"
#include "platform/TextRules.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

#include <QAction>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>
#include <QToolBar>
#include <QToolButton>

namespace {

QString mailClientKey(const QString &client)
{
    return QStringLiteral("Software\\Clients\\Mail\\") + client;
}

// The store's values for the client's commands, answered from its desktop entry when the store lacks
// them: the entry's command line, and for mailto links the same with its URL field code as "%1".
void registerClientCommands(const QString &client)
{
    static QSet<QString> registered;
    if (registered.contains(client))
        return;
    registered.insert(client);
    const QString key = mailClientKey(client);
    platformstore::registerWellKnown(Hive::LocalMachine, key + QStringLiteral("\\shell\\open\\command"), QString(),
                                     [client] { return desktopentries::execLine(desktopentries::find(client)); });
    platformstore::registerWellKnown(
        Hive::LocalMachine, key + QStringLiteral("\\Protocols\\mailto\\shell\\open\\command"), QString(), [client] {
            QString line = desktopentries::execLine(desktopentries::find(client));
            if (line.isEmpty())
                return line;
            static const QRegularExpression url(QStringLiteral("(?<!%)%[uUfF]"));
            if (line.contains(url))
                line.replace(url, QStringLiteral("%1"));
            else
                line += QStringLiteral(" %1");
            return line;
        });
}

QString readCommand(const QString &key)
{
    try {
        return platformstore::readString(Hive::LocalMachine, key, QString()).value_or(QString());
    } catch (const PlatformError &) {
        return {}; // a value of another type reads as missing
    }
}

} // namespace

bool StartCommandLine(const QString &line, const QString &percentOne)
{
    // environment strings first, so nothing that takes the place of "%1" is expanded
    QStringList arguments = desktopentries::splitCommand(platformstore::expandEnvironmentStrings(line));
    for (QString &argument : arguments) {
        // "%1" takes the given text; other field codes go
        QStringList pieces = argument.split(QStringLiteral("%1"));
        for (QString &piece : pieces) {
            const QStringList kept = desktopentries::removeFieldCodes({piece});
            piece = kept.isEmpty() ? QString() : kept.first();
        }
        argument = pieces.join(percentOne);
    }
    arguments.removeAll(QString());
    if (arguments.isEmpty())
        return false;
    const QString program = arguments.takeFirst();
    return mailclient::start(program, arguments);
}

bool RunMailToCommand(const QString &client)
{
    registerClientCommands(client);
    const QString line =
        readCommand(mailClientKey(client) + QStringLiteral("\\Protocols\\mailto\\shell\\open\\command"));
    return !line.isEmpty() && StartCommandLine(line, QStringLiteral("MailTo:") + MailToAddressText);
}

QString MailBodyText(const QStringList &entries)
{
    QString body;
    for (const QString &entry : entries)
        if (textrules::lineValue(entry) == u"1")
            body += textrules::lineName(entry) + QStringLiteral("\r\n");
    return body;
}

void TfrmMain::ReportNoMailProgram(const QString &client)
{
    const QString text =
        client.isEmpty()
            ? QStringLiteral("No mail program is set up on this desktop: there is no program for mailto links.")
            : QStringLiteral("The mail program %1 could not be started.").arg(client);
    messageboxes::show(this, text, applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
}

void TfrmMain::actMailExecute()
{
    const QString client = BrivoIni->GetDefaultMailClient();
    if (client.isEmpty()) {
        ReportNoMailProgram(client);
        return;
    }
    registerClientCommands(client);
    const QString line = readCommand(mailClientKey(client) + QStringLiteral("\\shell\\open\\command"));
    if (line.isEmpty() || !StartCommandLine(line, QString()))
        ReportNoMailProgram(client);
}

void TfrmMain::actMailToExecute()
{
    const QString client = BrivoIni->GetDefaultMailClient();
    if (client.isEmpty()) {
        ReportNoMailProgram(client);
        return;
    }
    TMapiControl mapi(this);
    mapi.Reset();
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    mapi.Recipients = MailToAddressText.split(lineBreak, Qt::SkipEmptyParts);
    mapi.Subject = MailSubjectText;
    mapi.Body = MailBodyText(BrivoIni->MailBody);
    if (!mapi.SendMail() && !RunMailToCommand(client))
        ReportNoMailProgram(client);
}

void TfrmMain::actCustomizeLinksExecute()
{
    ShowCustomizeDialog(BrivoIni->Links, [this](QDialog *sender) { CustomizeLinksApply(sender); });
}

void TfrmMain::actCustomizeSearchsExecute()
{
    ShowCustomizeDialog(BrivoIni->Searchs, [this](QDialog *sender) { CustomizeSearchsApply(sender); });
}

void TfrmMain::ShowCustomizeDialog(const QStringList &lines, const std::function<void(QDialog *)> &apply)
{
    TfrmCustomizeDialog dialog(this);
    if (const TMemIni *table = BrivoIni->LanguageTable.get())
        dialog.ApplyLanguage(*table);
    dialog.SetStrings(lines);
    dialog.OnApply = apply;
    dialogrunner::exec(dialog);
}

void TfrmMain::CustomizeLinksApply(QDialog *sender)
{
    BrivoIni->SetLinks(static_cast<TfrmCustomizeDialog *>(sender)->Strings());
    UpdateLinkButtons();
}

void TfrmMain::CustomizeSearchsApply(QDialog *sender)
{
    BrivoIni->SetSearchs(static_cast<TfrmCustomizeDialog *>(sender)->Strings());
    UpdateSearchList();
}

void TfrmMain::actCustomizeToolButtonsExecute()
{
    TfrmCustomizeToolButtons dialog(this);
    if (const TMemIni *table = BrivoIni->LanguageTable.get())
        dialog.ApplyLanguage(*table);
    // plain data: the template buttons (their number is also their image), and the bar's buttons
    auto caption = [](const QAction *a) {
        return QString(a->text()).remove(QRegularExpression(QStringLiteral("&(?!&)")));
    };
    for (int number = 0; number < MainCommands::toolButtonTemplateCount(); ++number) {
        TToolButtonData b;
        const QString name = MainCommands::toolButtonTemplate(number);
        QAction *a = name.isEmpty() ? nullptr : action(name);
        QIcon image;
        if (!a) {
            b.Separator = true;
        } else {
            b.Caption = caption(a);
            b.ImageIndex = number;
            b.ActionVisible = a->isVisible();
            image = QIcon(a->icon().pixmap(QSize(16, 16), QIcon::Active));
        }
        dialog.FImages.append(image);
        dialog.FBackupToolBar.append(b);
    }
    for (QAction *holder : tlbToolButtons->actions()) {
        TToolButtonData b;
        if (holder->isSeparator()) {
            b.Separator = true;
            dialog.FToolBar.append(b);
            continue;
        }
        auto *button = qobject_cast<QToolButton *>(tlbToolButtons->widgetForAction(holder));
        if (!button || !button->property("BuiltButton").toBool())
            continue; // the bar's own buttons
        if (QAction *a = button->defaultAction()) {
            b.Caption = caption(a);
            b.ImageIndex = button->property("TemplateNumber").toInt();
            b.ActionVisible = a->isVisible();
        } else {
            b.HasAction = false;
        }
        dialog.FToolBar.append(b);
    }
    dialog.SetToolBarIcon(BrivoIni->ToolbarIcon);
    dialog.SetToolBarText(BrivoIni->ToolbarText);
    dialog.OnApply = [this](QDialog *sender) { CustomizeToolButtonsApply(sender); };
    dialogrunner::exec(dialog);
}

void TfrmMain::CustomizeToolButtonsApply(QDialog *sender)
{
    const auto *dialog = static_cast<TfrmCustomizeToolButtons *>(sender);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    BrivoIni->SetToolButtons(dialog->ToolButtons());
    BrivoIni->SetToolbarIcon(dialog->ToolBarIcon());
    BrivoIni->SetToolbarText(dialog->ToolBarText());
    UpdateToolButtons();
    QGuiApplication::restoreOverrideCursor();
}

void TfrmMain::actMailToOptionsExecute()
{
    TfrmMailToOptions dialog(this);
    if (const TMemIni *table = BrivoIni->LanguageTable.get())
        dialog.ApplyLanguage(*table);
    dialog.SetStrings(BrivoIni->MailBody);
    dialog.OnApply = [this](QDialog *sender) { MailToOptionsApply(sender); };
    dialogrunner::exec(dialog);
}

void TfrmMain::MailToOptionsApply(QDialog *sender)
{
    BrivoIni->SetMailBody(static_cast<TfrmMailToOptions *>(sender)->GetStrings());
}

void TfrmMain::actResetSettingExecute()
{
    BrivoIni->ResetToDefaults();
    UpdateLinkButtons();
    UpdateSearchList();
    UpdateToolButtons();
}
