#include "browser/ScriptDropGuards.h"

#include "settings/DragPayloads.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace dropguard {
namespace {

// A link as the engine may take it: a valid absolute address that runs no script.
bool isCleanLink(const QString &text, QList<QUrl> &links)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || dragpayload::isRefusedAddress(text))
        return false;
    links << url;
    return true;
}

} // namespace

std::unique_ptr<QMimeData> cleanDragData(const QMimeData &data)
{
    using namespace dragpayload;
    QList<QUrl> links;
    QString linkTitle;
    if (data.hasFormat(QLatin1String(UriListFormat))) {
        if (data.data(QLatin1String(UriListFormat)).size() > MaxLinkBytes)
            return nullptr;
        // the list as the platform reads it, which is what the engine would take: a line that is no
        // valid address is an invalid or relative URL there
        for (const QUrl &url : data.urls()) {
            if (url.isRelative() && url.path().isEmpty() && url.hasFragment())
                continue; // a comment line
            if (!url.isValid() || url.isRelative() || isRefusedAddress(url.toString()))
                return nullptr;
            links << url;
        }
        // a list that yields no address (empty, blank, or data the platform could not fetch) is no
        // link either: offered on, the engine would read an address the list does not have
        if (links.isEmpty())
            return nullptr;
    }
    for (const char *format : {MozUrlFormat, NetscapeUrlFormat}) {
        if (!data.hasFormat(QLatin1String(format)))
            continue;
        const QByteArray bytes = data.data(QLatin1String(format));
        QString url;
        QString title;
        if (bytes.size() > MaxLinkBytes || !parseUrlAndTitle(bytes, url, title))
            return nullptr;
        QList<QUrl> link;
        if (!isCleanLink(url, link))
            return nullptr;
        if (links.isEmpty()) {
            links = link;
            linkTitle = title;
        }
    }
    auto clean = std::make_unique<QMimeData>();
    if (!links.isEmpty())
        clean->setUrls(links);
    // text and markup longer than the page can be meant to take are left behind
    QString text;
    if (data.hasFormat(QStringLiteral("text/plain")) || data.hasFormat(QStringLiteral("text/plain;charset=utf-8")))
        text = data.text();
    if (text.isEmpty())
        text = linkTitle;
    if (!text.isEmpty() && text.size() <= MaxTextChars)
        clean->setText(text);
    if (data.hasHtml()) {
        const QString html = data.html();
        if (html.size() <= MaxTextChars)
            clean->setHtml(html);
    }
    return clean;
}

} // namespace dropguard

TScriptDropGuard::TScriptDropGuard(QWidget *widget)
    : QObject(widget)
{
    watch(widget);
}

TScriptDropGuard::~TScriptDropGuard() = default;

void TScriptDropGuard::watch(QObject *object)
{
    object->installEventFilter(this); // installing twice keeps one filter
    for (QObject *child : object->children())
        if (child->isWidgetType())
            watch(child);
}

bool TScriptDropGuard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (QObject *child = static_cast<QChildEvent *>(event)->child(); child->isWidgetType())
            watch(child);
        break;
    case QEvent::DragLeave: {
        if (m_forwarding)
            break;
        // a drag the widget never saw does not leave it either
        const bool seen = m_cleanData != nullptr;
        m_dragData = nullptr;
        m_cleanData.reset();
        if (!seen)
            return true;
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QMimeData *data = drop->mimeData();
        if (m_forwarding) {
            if (data == m_cleanData.get())
                break; // the clean copy
            // another drag event while the widget takes the copy (an event loop of its own runs):
            // its data was never looked at, and looking at it now would take the copy's data away
            drop->setDropAction(Qt::IgnoreAction);
            drop->ignore();
            return true;
        }
        if (event->type() == QEvent::DragEnter || data != m_dragData || !m_cleanData) {
            m_dragData = data;
            m_cleanData =
                !data || dragpayload::carriesRefusedAddress(*data) ? nullptr : dropguard::cleanDragData(*data);
        }
        if (!m_cleanData) {
            drop->setDropAction(Qt::IgnoreAction);
            drop->ignore();
            if (event->type() == QEvent::DragEnter)
                dragpayload::reportRefused(qobject_cast<QWidget *>(watched));
            return true;
        }
        // a child that leaves the drag to its parent (the engine's page widget does) passes it on
        // up to the guarded widget, which takes it with the clean data
        if (watched != parent())
            break;
        // the widget gets the same event carrying the clean data
        const QPoint at = drop->position().toPoint();
        std::unique_ptr<QDropEvent> copy;
        if (event->type() == QEvent::DragEnter)
            copy = std::make_unique<QDragEnterEvent>(at, drop->possibleActions(), m_cleanData.get(), drop->buttons(),
                                                     drop->modifiers());
        else if (event->type() == QEvent::DragMove)
            copy = std::make_unique<QDragMoveEvent>(at, drop->possibleActions(), m_cleanData.get(), drop->buttons(),
                                                    drop->modifiers());
        else
            copy = std::make_unique<QDropEvent>(drop->position(), drop->possibleActions(), m_cleanData.get(),
                                                drop->buttons(), drop->modifiers());
        copy->setAccepted(drop->isAccepted());
        m_forwarding = true;
        QCoreApplication::sendEvent(watched, copy.get());
        m_forwarding = false;
        drop->setDropAction(copy->dropAction());
        drop->setAccepted(copy->isAccepted());
        if (event->type() == QEvent::Drop) {
            m_dragData = nullptr;
            m_cleanData.reset();
        }
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
