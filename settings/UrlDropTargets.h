#pragma once
// A drop target for links, owned by a control that wants them (the address box, the bookmark
// trees). It accepts a dragged link (text/x-moz-url with its title, _NETSCAPE_URL, or a URI list of
// web addresses) and dropped files (a URI list of local files: internet shortcuts ".url", links and
// plain files), and hands every dropped item to its owner as a point, a title and a URL through
// OnUrlDrop: one call per file in list order, or one call for a link.
//
//   ".url" file with a URL:  Url = the shortcut's URL, Title = the file name without extension
//   link that resolves:      Url = its target (path or URL), Title = the file name without extension
//   any other file:          Url = the full path, Title = the file name with its extension
//   dragged link:            Url = the link, Title = its title (the link itself when none is given)
//
// The point is in the control's client coordinates (the viewport's for a tree or other scroll area),
// the same position used for the node under the pointer. The drop is always offered as a link (a
// copy when the source does not allow links), never as a move, so the source never deletes anything.
//
// Over a tree view the node under the pointer is highlighted; within ScrollMargin pixels of an edge
// the control scrolls one line at most every ScrollDelay ms; a node the pointer stays over for
// ExpandDelay ms is expanded (or collapsed), and again after each further ExpandDelay ms. A timer
// re-runs this test while the pointer rests, since a drag sends no events without motion. Times come
// from an injectable clock.
//
// Usage:
//     m_dropTarget = new TCustomUrlDropTarget(this);
//     m_dropTarget->OnUrlDrop = [this](const QPoint &pt, const QString &title, const QString &url) {...};
//     m_dropTarget->RegisterDropTarget(this);   // and RevokeDropTarget() when no longer wanted
#include "settings/DragPayloads.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

class QMimeData;
class QTreeView;
class QWidget;

using TUrlDropEvent = std::function<void(const QPoint &Pt, const QString &Title, const QString &Url)>;

class TCustomUrlDropTarget : public QObject {
    Q_OBJECT
public:
    // Drop effects, as a drag source reads them.
    static constexpr std::uint32_t DropEffectNone = 0;
    static constexpr std::uint32_t DropEffectLink = 4;
    static constexpr std::uint32_t DropEffectScroll = 0x80000000u;

    // Registration failures (PlatformError); %1 is the control's object name.
    static constexpr char AlreadyRegisteredText[] = "%1 has already been registered as a drop target!";
    static constexpr char InvalidHandleText[] = "Invalid handle in %1!";
    static constexpr char NotRegisteredText[] = "%1 has not been registered!";
    static constexpr char OutOfMemoryText[] = "Indicates out of memory";

    explicit TCustomUrlDropTarget(QObject *owner = nullptr);
    // Lets go of a control still registered without raising, so no control keeps a dangling target.
    ~TCustomUrlDropTarget() override;

    // Makes the control a drop target (a target registered on another control lets go of that one
    // first). Raises AlreadyRegisteredText when the control already has a drop target, and
    // InvalidHandleText for a null control.
    void RegisterDropTarget(QWidget *control);
    // Ends it; nothing when not registered. Raises NotRegisteredText when the registration was
    // taken away from under this target.
    void RevokeDropTarget();

    QWidget *Control() const { return m_control; }
    QTreeView *TreeView() const;
    bool Registered() const { return m_registered; }

    TUrlDropEvent OnUrlDrop;
    int ScrollMargin = 24;  // pixels
    int ScrollDelay = 120;  // milliseconds between two scroll steps
    int ExpandDelay = 2000; // milliseconds over a node before it is toggled

    // Milliseconds from any fixed start; the default is a monotonic clock.
    using TClock = std::function<std::int64_t()>;
    void SetClock(TClock clock);

    // The drag's steps, called from the control's drag events (and by tests). Points are in client
    // coordinates. DragEnter reads the data and says whether it can be dropped.
    bool DragEnter(const QMimeData *data, const QPoint &pt);
    std::uint32_t DragOver(const QPoint &pt);
    void DragLeave();
    void Drop(const QPoint &pt);

    // DropEffectScroll | DropEffectLink inside the margin band of the client area, else DropEffectLink.
    std::uint32_t ScrollEffect(const QPoint &pt) const;
    bool Dragging() const { return m_dragging; }
    const TDragPayload &Payload() const { return m_payload; }
    // The node highlighted as the drop target (invalid when none).
    QModelIndex DropHighlight() const { return m_highlight; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *receiver() const;
    void release(bool quiet);
    void resetDrag();
    void setHighlight(const QModelIndex &index);
    void scrollOneLine(const QPoint &pt);
    void rerunDragOver();

    QPointer<QWidget> m_control;
    QPointer<QWidget> m_receiver;
    bool m_registered = false;
    bool m_controlAcceptedDrops = false;
    bool m_receiverAcceptedDrops = false;

    bool m_dragging = false;
    TDragPayload m_payload;
    QPoint m_lastPos;
    std::int64_t m_lastScroll = 0;
    std::int64_t m_lastExpand = 0;
    QPersistentModelIndex m_expandNode;
    QPersistentModelIndex m_highlight;
    QPointer<QWidget> m_highlightFrame;
    QTimer m_restTimer;
    TClock m_clock;
};
