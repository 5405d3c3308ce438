#include "settings/UrlDropTargets.h"

#include "platform/PlatformError.h"
#include "settings/CommonUtils.h"

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTreeView>
#include <new>

namespace {

// the control's property naming the drop target registered on it
constexpr char RegisteredTargetProperty[] = "brivoUrlDropTarget";
// how often a resting pointer is looked at again
constexpr int RestInterval = 40;

std::int64_t monotonicMs()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

// The frame drawn over the node that would take the drop.
class DropHighlightFrame : public QWidget {
public:
    explicit DropHighlightFrame(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QColor fill = palette().color(QPalette::Highlight);
        fill.setAlpha(70);
        p.fillRect(rect(), fill);
        p.setPen(palette().color(QPalette::Highlight));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

QObject *registeredTarget(const QWidget *control)
{
    return control->property(RegisteredTargetProperty).value<QObject *>();
}

Qt::DropAction linkOrCopy(Qt::DropActions possible)
{
    if (possible & Qt::LinkAction)
        return Qt::LinkAction;
    if (possible & Qt::CopyAction)
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

} // namespace

TCustomUrlDropTarget::TCustomUrlDropTarget(QObject *owner)
    : QObject(owner)
    , m_clock(monotonicMs)
{
    m_restTimer.setInterval(RestInterval);
    connect(&m_restTimer, &QTimer::timeout, this, &TCustomUrlDropTarget::rerunDragOver);
}

TCustomUrlDropTarget::~TCustomUrlDropTarget()
{
    release(true);
    delete m_highlightFrame;
}

QTreeView *TCustomUrlDropTarget::TreeView() const
{
    return qobject_cast<QTreeView *>(m_control.data());
}

void TCustomUrlDropTarget::SetClock(TClock clock)
{
    m_clock = clock ? std::move(clock) : TClock(monotonicMs);
}

QWidget *TCustomUrlDropTarget::receiver() const
{
    return m_receiver;
}

void TCustomUrlDropTarget::RegisterDropTarget(QWidget *control)
{
    if (!control)
        throw PlatformError(QString::fromLatin1(InvalidHandleText).arg(QString()));
    if (registeredTarget(control))
        throw PlatformError(QString::fromLatin1(AlreadyRegisteredText).arg(control->objectName()));
    if (m_registered)
        release(true);
    try {
        m_control = control;
        // a scroll area's drags arrive at its viewport, whose coordinates are the client's
        auto *area = qobject_cast<QAbstractScrollArea *>(control);
        m_receiver = area ? area->viewport() : control;
        m_controlAcceptedDrops = control->acceptDrops();
        m_receiverAcceptedDrops = m_receiver->acceptDrops();
        control->setProperty(RegisteredTargetProperty, QVariant::fromValue<QObject *>(this));
        control->setAcceptDrops(true);
        m_receiver->setAcceptDrops(true);
        m_receiver->installEventFilter(this);
        connect(control, &QObject::destroyed, this, [this] {
            resetDrag();
            m_registered = false;
        });
        m_registered = true;
    } catch (const std::bad_alloc &) {
        throw PlatformError(QString::fromLatin1(OutOfMemoryText));
    }
}

void TCustomUrlDropTarget::RevokeDropTarget()
{
    if (!m_registered)
        return;
    if (!m_control) { // the window went with its control
        m_registered = false;
        return;
    }
    if (registeredTarget(m_control) != this)
        throw PlatformError(QString::fromLatin1(NotRegisteredText).arg(m_control->objectName()));
    release(false);
}

void TCustomUrlDropTarget::release(bool quiet)
{
    Q_UNUSED(quiet);
    resetDrag();
    if (m_control) {
        disconnect(m_control, &QObject::destroyed, this, nullptr);
        if (registeredTarget(m_control) == this) {
            m_control->setProperty(RegisteredTargetProperty, QVariant());
            m_control->setAcceptDrops(m_controlAcceptedDrops);
        }
    }
    if (m_receiver) {
        m_receiver->removeEventFilter(this);
        if (m_receiver != m_control)
            m_receiver->setAcceptDrops(m_receiverAcceptedDrops);
    }
    m_registered = false;
}

std::uint32_t TCustomUrlDropTarget::ScrollEffect(const QPoint &pt) const
{
    const QSize size = m_receiver ? m_receiver->size() : QSize();
    const bool inBand = pt.x() < ScrollMargin || pt.x() > size.width() - ScrollMargin || pt.y() < ScrollMargin ||
                        pt.y() > size.height() - ScrollMargin;
    return inBand ? (DropEffectScroll | DropEffectLink) : DropEffectLink;
}

bool TCustomUrlDropTarget::DragEnter(const QMimeData *data, const QPoint &pt)
{
    resetDrag();
    if (!data)
        return false;
    m_payload = dragpayload::read(*data);
    if (!m_payload.Accepted) {
        if (m_payload.Refused)
            dragpayload::reportRefused(m_control);
        m_payload = {};
        return false;
    }
    m_dragging = true;
    m_lastPos = pt;
    const std::int64_t now = m_clock();
    m_lastScroll = now;
    if (TreeView()) {
        m_lastExpand = now;
        m_expandNode = QPersistentModelIndex();
    }
    if (qobject_cast<QAbstractScrollArea *>(m_control.data()))
        m_restTimer.start();
    return true;
}

std::uint32_t TCustomUrlDropTarget::DragOver(const QPoint &pt)
{
    if (!m_dragging)
        return DropEffectNone;
    m_lastPos = pt;
    const std::uint32_t effect = ScrollEffect(pt);
    QTreeView *tree = TreeView();
    QModelIndex node = tree ? tree->indexAt(pt) : QModelIndex();
    setHighlight(node);

    const std::int64_t now = m_clock();
    // hover time is measured per node: moving onto another node starts its wait afresh
    if (tree && QPersistentModelIndex(node) != m_expandNode) {
        m_expandNode = node;
        m_lastExpand = now;
    }
    bool scrolled = false;
    if (effect & DropEffectScroll) {
        if (now > m_lastScroll + ScrollDelay) {
            scrollOneLine(pt);
            scrolled = true;
        }
    } else {
        m_lastScroll = now;
    }
    if (scrolled) {
        m_lastScroll = now;
        if (node.isValid())
            m_lastExpand = now;
    } else if (tree && node.isValid() && now > m_lastExpand + ExpandDelay) {
        if (tree->isExpanded(node))
            tree->collapse(node);
        else
            tree->expand(node);
        m_lastExpand = now;
    }
    if (tree && (scrolled || node.isValid())) {
        // what lies under the pointer may have moved
        node = tree->indexAt(pt);
        setHighlight(node);
        if (QPersistentModelIndex(node) != m_expandNode) {
            m_expandNode = node;
            m_lastExpand = now;
        }
    }
    return effect;
}

void TCustomUrlDropTarget::scrollOneLine(const QPoint &pt)
{
    auto *area = qobject_cast<QAbstractScrollArea *>(m_control.data());
    if (!area || !m_receiver)
        return;
    const QSize size = m_receiver->size();
    if (pt.y() < ScrollMargin)
        area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (pt.y() > size.height() - ScrollMargin)
        area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (pt.x() < ScrollMargin)
        area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (pt.x() > size.width() - ScrollMargin)
        area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void TCustomUrlDropTarget::rerunDragOver()
{
    if (m_dragging)
        DragOver(m_lastPos);
    else
        m_restTimer.stop();
}

void TCustomUrlDropTarget::DragLeave()
{
    resetDrag();
}

void TCustomUrlDropTarget::Drop(const QPoint &pt)
{
    if (!m_dragging)
        return;
    const TDragPayload payload = m_payload;
    resetDrag();
    // the handler may free this target: everything it needs is copied first
    const TUrlDropEvent handler = OnUrlDrop;
    if (!handler)
        return;
    if (payload.Files.isEmpty()) {
        handler(pt, payload.Title, payload.Url);
        return;
    }
    // the control may go with the handler's work; the refusal is told through a guarded pointer
    const QPointer<QWidget> control = m_control;
    bool refused = false;
    for (const QString &file : payload.Files) {
        const QFileInfo info(file);
        QString url;
        QString title;
        if (info.suffix().toLower() == u"url" && GetInternetShortcutUrl(file, url)) {
            title = info.completeBaseName();
        } else if (IsShellLink(file) && ResolveShellLink(file, url)) {
            title = info.completeBaseName();
        } else {
            url = file;
            title = info.fileName();
        }
        if (dragpayload::isRefusedAddress(url)) {
            refused = true; // a shortcut to a script address is left out
            continue;
        }
        handler(pt, title, url);
    }
    if (refused)
        dragpayload::reportRefused(control);
}

void TCustomUrlDropTarget::resetDrag()
{
    m_dragging = false;
    m_payload = {};
    m_restTimer.stop();
    m_expandNode = QPersistentModelIndex();
    setHighlight(QModelIndex());
}

void TCustomUrlDropTarget::setHighlight(const QModelIndex &index)
{
    m_highlight = index;
    QTreeView *tree = TreeView();
    if (!tree || !m_receiver || !index.isValid()) {
        if (m_highlightFrame)
            m_highlightFrame->hide();
        return;
    }
    if (!m_highlightFrame || m_highlightFrame->parentWidget() != m_receiver) {
        delete m_highlightFrame;
        m_highlightFrame = new DropHighlightFrame(m_receiver);
    }
    m_highlightFrame->setGeometry(tree->visualRect(index));
    m_highlightFrame->show();
    m_highlightFrame->raise();
}

bool TCustomUrlDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_receiver)
        return QObject::eventFilter(watched, event);
    // a drag that starts in the control itself (moving a node within a tree) is the control's own
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        const QObject *source = static_cast<QDropEvent *>(event)->source();
        for (const QObject *o = source; o; o = o->parent())
            if (o == m_control)
                return false;
        break;
    }
    case QEvent::DragLeave:
        if (!m_dragging)
            return false;
        break;
    default:
        break;
    }
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto *e = static_cast<QDragEnterEvent *>(event);
        const Qt::DropAction action = linkOrCopy(e->possibleActions());
        if (action != Qt::IgnoreAction && DragEnter(e->mimeData(), e->position().toPoint())) {
            e->setDropAction(action);
            e->accept();
        } else {
            resetDrag();
            e->ignore();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(event);
        if (DragOver(e->position().toPoint()) == DropEffectNone) {
            e->ignore();
        } else {
            e->setDropAction(linkOrCopy(e->possibleActions()));
            e->accept();
        }
        return true;
    }
    case QEvent::DragLeave:
        DragLeave();
        return true;
    case QEvent::Drop: {
        auto *e = static_cast<QDropEvent *>(event);
        if (!m_dragging) {
            e->ignore();
            return true;
        }
        e->setDropAction(linkOrCopy(e->possibleActions()));
        e->accept();
        Drop(e->position().toPoint());
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
