#include "platform/MailClient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace mailclient {

namespace {

Runner g_runner;
Backend g_backend;
Starter g_starter;

QString encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString encodedAddress(const QString &address)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(address, "@"));
}

RunOutcome runProcess(const QString &program, const QStringList &arguments)
{
    RunOutcome outcome;
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return outcome;
    // the process lives on when the wait ends: a mail program started in its place may still run
    auto *process = new QProcess(QCoreApplication::instance());
    process->setProgram(path);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QEventLoop loop;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer timeOut;
    timeOut.setSingleShot(true);
    QObject::connect(&timeOut, &QTimer::timeout, &loop, &QEventLoop::quit);
    process->start();
    timeOut.start(WaitMilliseconds);
    if (process->state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    outcome.started = process->error() != QProcess::FailedToStart;
    outcome.finished = process->state() == QProcess::NotRunning;
    if (outcome.finished) {
        outcome.exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
        process->deleteLater();
    } else {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    }
    return outcome;
}

} // namespace

QString mailtoUri(const Message &message)
{
    QStringList to;
    for (const QString &address : message.to)
        if (!address.isEmpty())
            to.append(encodedAddress(address));
    QStringList fields;
    for (const QString &address : message.cc)
        if (!address.isEmpty())
            fields.append(QStringLiteral("cc=") + encodedAddress(address));
    for (const QString &address : message.bcc)
        if (!address.isEmpty())
            fields.append(QStringLiteral("bcc=") + encodedAddress(address));
    if (!message.subject.isEmpty())
        fields.append(QStringLiteral("subject=") + encoded(message.subject));
    if (!message.body.isEmpty())
        fields.append(QStringLiteral("body=") + encoded(message.body));
    QString uri = QStringLiteral("mailto:") + to.join(u',');
    if (!fields.isEmpty())
        uri += u'?' + fields.join(u'&');
    return uri;
}

QStringList xdgEmailArguments(const Message &message)
{
    QStringList arguments{QStringLiteral("--utf8")};
    for (const QString &file : message.attachments) {
        if (file.isEmpty())
            continue;
        arguments << QStringLiteral("--attach") << QFileInfo(file).absoluteFilePath();
    }
    arguments << mailtoUri(message);
    return arguments;
}

Runner setRunner(Runner runner)
{
    Runner previous = std::move(g_runner);
    g_runner = std::move(runner);
    return previous;
}

Backend setBackend(Backend backend)
{
    Backend previous = std::move(g_backend);
    g_backend = std::move(backend);
    return previous;
}

int send(const Message &message)
{
    if (g_backend)
        return g_backend(message);
    for (const QString &file : message.attachments) {
        if (file.isEmpty())
            continue;
        const QFileInfo info(file);
        if (!info.isFile())
            return AttachmentNotFound;
        if (!info.isReadable())
            return AttachmentOpenFailure;
    }
    const QStringList arguments = xdgEmailArguments(message);
    if (arguments.last().size() > MaxUriLength)
        return TextTooLarge;
    const RunOutcome outcome = g_runner ? g_runner(QStringLiteral("xdg-email"), arguments)
                                        : runProcess(QStringLiteral("xdg-email"), arguments);
    if (!outcome.started)
        return Failure;
    if (!outcome.finished)
        return Success; // the mail program has the message and is still coming up
    // xdg-email's exit codes: 1 syntax, 2 a file missing, 3 no tool for the desktop, 4 the action
    // failed, 5 a file not readable
    switch (outcome.exitCode) {
    case 0:
        return Success;
    case 2:
        return AttachmentNotFound;
    case 5:
        return AttachmentOpenFailure;
    default:
        return Failure;
    }
}

Starter setStarter(Starter starter)
{
    Starter previous = std::move(g_starter);
    g_starter = std::move(starter);
    return previous;
}

bool start(const QString &program, const QStringList &arguments)
{
    if (g_starter)
        return g_starter(program, arguments);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}

} // namespace mailclient
