#pragma once
// Keeps what other programs drop away from a widget and from every child it has or gets (a web
// view makes its page widget later). A drag that carries a "javascript:" or "data:" address, or a
// link that is no valid address, is not accepted there, and the status bar says why; any other drag
// reaches the widget with its links, text and markup only, each link a valid absolute address, so
// the engine never opens a script address in the page's origin nor reads a format it cannot take.
#include <QObject>
#include <memory>

class QMimeData;
class QWidget;

namespace dropguard {

// The longest link list or link a drag may carry, in bytes.
inline constexpr qsizetype MaxLinkBytes = 1024 * 1024;
// The longest text or markup a drag hands on, in characters; a longer one is left out.
inline constexpr qsizetype MaxTextChars = 16 * 1024 * 1024;

// What of a drag the page may see: its links (a URI list, or a link in text/x-moz-url or
// _NETSCAPE_URL form) as a URI list of valid absolute addresses, its plain text and its HTML (each
// at most MaxTextChars long).
// Null when a link format carries anything else (a line that is no valid address, a script
// address, or more than MaxLinkBytes), and when a URI list yields no address at all.
std::unique_ptr<QMimeData> cleanDragData(const QMimeData &data);

} // namespace dropguard

class TScriptDropGuard : public QObject {
    Q_OBJECT
public:
    explicit TScriptDropGuard(QWidget *widget);
    ~TScriptDropGuard() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QObject *object);

    // the drag under way: its data as it came and as the widget sees it
    const QMimeData *m_dragData = nullptr;
    std::unique_ptr<QMimeData> m_cleanData;
    bool m_forwarding = false;
};
