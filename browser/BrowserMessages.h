#pragma once
// The two messages a page window sends its owner synchronously (QCoreApplication::sendEvent):
// its creation, and a key its page offers before handling it. The owner accepts the event to
// answer "handled".
#include <QEvent>
#include <QKeyCombination>

class TfrmBrowser;

namespace browsermessages {

constexpr QEvent::Type BrowserCreated = QEvent::Type(QEvent::User + 1000);
constexpr QEvent::Type KeyOffered = QEvent::Type(QEvent::User + 1001);

class BrowserCreatedEvent : public QEvent {
public:
    explicit BrowserCreatedEvent(TfrmBrowser *page)
        : QEvent(BrowserCreated)
        , m_page(page)
    {
        setAccepted(false);
    }
    TfrmBrowser *page() const { return m_page; }

private:
    TfrmBrowser *m_page;
};

class KeyOfferedEvent : public QEvent {
public:
    explicit KeyOfferedEvent(QKeyCombination key)
        : QEvent(KeyOffered)
        , m_key(key)
    {
        setAccepted(false);
    }
    QKeyCombination key() const { return m_key; }

private:
    QKeyCombination m_key;
};

} // namespace browsermessages
