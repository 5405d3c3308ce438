#include "browser/UrlComboBoxes.h"

#include "browser/UserAddresses.h"
#include "platform/ApplicationTitle.h"
#include "platform/HistoryStore.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformStore.h"
#include "settings/ListChanges.h"
#include "settings/UrlDropTargets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStringListModel>
#include <QUrl>
#include <QWindow>
#include <map>

namespace {

const QString UrlValuePrefix = QStringLiteral("Url");

QStringList items(const QComboBox &box)
{
    QStringList texts;
    texts.reserve(box.count());
    for (int i = 0; i < box.count(); ++i)
        texts.append(box.itemText(i));
    return texts;
}
constexpr int MaxFileSuggestions = 50;

// Every address box alive, so clearing the history reaches their lists too.
QList<TUrlComboBox *> &liveBoxes()
{
    static QList<TUrlComboBox *> boxes;
    return boxes;
}

// The address without "http://", "https://" and a leading "www.", for matching what is typed.
QString withoutSchemeAndWww(const QString &url)
{
    QString s = url;
    for (const QLatin1String scheme : {QLatin1String("http://"), QLatin1String("https://")})
        if (s.startsWith(scheme, Qt::CaseInsensitive)) {
            s = s.mid(scheme.size());
            break;
        }
    if (s.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        s = s.mid(4);
    return s;
}

bool completesTo(const QString &typed, const QString &candidate)
{
    return candidate.startsWith(typed, Qt::CaseInsensitive) ||
           withoutSchemeAndWww(candidate).startsWith(typed, Qt::CaseInsensitive);
}

// Entries of the folder that the typed path points into, whose names begin with what follows its
// last "/"; folders end with "/". A "file:" URL is answered with "file:" URLs.
QStringList fileSuggestions(const QString &typed)
{
    QStringList out;
    QString path = typed;
    bool asUrl = false;
    if (path.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
        path = QUrl::fromPercentEncoding(path.mid(7).toUtf8());
        asUrl = true;
    } else if (path.startsWith(u'~')) {
        path = QDir::homePath() + path.mid(1);
    }
    if (!path.startsWith(u'/'))
        return out;
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(slash + 1);
    const QString stem = path.mid(slash + 1);
    const QString shownFolder = typed.left(typed.size() - stem.size());
    QDir dir(folder);
    if (!dir.exists())
        return out;
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                                    QDir::DirsFirst | QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &e : entries) {
        if (!e.fileName().startsWith(stem))
            continue;
        if (stem.isEmpty() && e.fileName().startsWith(u'.'))
            continue; // hidden entries only when asked for
        QString name = e.fileName();
        if (asUrl)
            name = QString::fromUtf8(QUrl::toPercentEncoding(name, "!$&'()*+,;=:@~"));
        out << shownFolder + name + (e.isDir() ? QStringLiteral("/") : QString());
        if (out.size() >= MaxFileSuggestions)
            break;
    }
    return out;
}

} // namespace

TUrlComboBox::TUrlComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
    // the box's completion is its own; the combo box's would fight with it
    QComboBox::setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TUrlComboBox::textEdited);
    // an address picked from the list (or stepped to with the arrow keys) is the user's as well
    connect(this, &QComboBox::activated, this, [this] { m_typing = true; });

    m_suggestions = new QStringListModel(this);
    m_completer = new QCompleter(m_suggestions, this);
    m_completer->setWidget(lineEdit());
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this, [this](const QString &text) {
        setEditText(text);
        enterPressed();
    });
    // Enter in the open list opens what was typed unless a suggestion was picked; this filter
    // comes before the completer's own
    m_completer->popup()->installEventFilter(this);
    configureCompleter();
    // keys in the box's own open list; this filter comes before the list's own
    view()->installEventFilter(this);

    m_dropTarget = new TCustomUrlDropTarget(this);
    m_dropTarget->OnUrlDrop = [this](const QPoint &, const QString &, const QString &url) { handleDrop(url); };
    SetAutoOleDrop(true);
    LoadTypedUrls();
    liveBoxes().append(this);
}

TUrlComboBox::~TUrlComboBox()
{
    liveBoxes().removeOne(this);
    if (SaveUrl)
        SaveTypedUrls();
    if (m_autoOleDrop && m_dropTarget->Registered())
        m_dropTarget->RevokeDropTarget();
}

QString TUrlComboBox::Url() const
{
    return currentText();
}

void TUrlComboBox::SetUrl(const QString &value)
{
    if (m_typing && (hasFocus() || lineEdit()->hasFocus()))
        return;
    m_typing = false;
    setEditText(value);
    // a listed address becomes the current item, so the arrow keys step on from the address shown
    const int listed = value.isEmpty() || AddUrl(value) ? -1 : indexOfUrl(value);
    if (listed >= 0 && listed != currentIndex()) {
        setCurrentIndex(listed);
        setEditText(value);
    }
    // in a box with the focus, what is typed next replaces the address shown
    if (hasFocus() || lineEdit()->hasFocus())
        lineEdit()->selectAll();
}

void TUrlComboBox::SetFileOptions(TFileOptions options)
{
    m_fileOptions = options;
}

void TUrlComboBox::SetUrlAutoComplete(TUrlAutoComplete mode)
{
    m_autoComplete = mode;
    configureCompleter();
}

void TUrlComboBox::SetUrlAutoSuggest(TUrlAutoSuggest mode)
{
    m_autoSuggest = mode;
    configureCompleter();
}

void TUrlComboBox::SetAutoOleDrop(bool value)
{
    if (value == m_dropTarget->Registered()) {
        m_autoOleDrop = value;
        return;
    }
    m_autoOleDrop = value;
    if (value) {
        m_dropTarget->RegisterDropTarget(this);
        // the edit field would take dropped text itself; drops go to the box
        lineEdit()->setAcceptDrops(false);
    } else {
        m_dropTarget->RevokeDropTarget();
        lineEdit()->setAcceptDrops(true);
    }
}

int TUrlComboBox::indexOfUrl(const QString &text) const
{
    for (int i = 0; i < count(); ++i)
        if (itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TUrlComboBox::LoadTypedUrls()
{
    for (int n = 1; n <= MaxTypedUrls; ++n) {
        std::optional<QString> value;
        try {
            value = platformstore::readString(Hive::CurrentUser, QLatin1String(TypedUrlsKey),
                                              UrlValuePrefix + QString::number(n));
        } catch (const PlatformError &) {
            continue; // a value of another type is no address
        }
        if (value && !value->isEmpty() && value->size() <= MaxListedUrl && indexOfUrl(*value) < 0)
            addItem(GetUrlIcon(*value), *value);
    }
    m_storedUrls = items(*this);
    setCurrentIndex(0);
    setEditText(QString());
}

namespace {

// Several boxes going at once (at exit) tell of a store that cannot be written once.
bool g_saveFailureTold = false;

bool typedUrlsWritten(bool ok)
{
    if (ok) {
        g_saveFailureTold = false;
        return true;
    }
    if (!g_saveFailureTold) {
        g_saveFailureTold = true;
        messageboxes::show(nullptr,
                           QObject::tr("The typed addresses could not be saved to %1: %2")
                               .arg(QDir::toNativeSeparators(platformstore::hiveFile(Hive::CurrentUser)),
                                    platformstore::errorString(Hive::CurrentUser)),
                           applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
    }
    return false;
}

} // namespace

bool TUrlComboBox::SaveTypedUrls()
{
    // this box's additions go to the list as the store holds it now: addresses that another program
    // (or another box) typed since this box read the list stay
    static const QRegularExpression urlValue(QStringLiteral("^url([0-9]+)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QStringList mine = items(*this);
    QStringList saved;
    const bool ok = platformstore::changeStrings(
        Hive::CurrentUser, QLatin1String(TypedUrlsKey), [&](const platformstore::StringValues &current) {
            std::map<qulonglong, QString> numbered; // the store's list in number order
            platformstore::StringValues kept;       // values that are no numbered address
            for (const auto &[name, value] : current) {
                const QRegularExpressionMatch m = urlValue.match(name);
                bool number = false;
                const qulonglong n = m.hasMatch() ? m.captured(1).toULongLong(&number) : 0;
                if (!number)
                    kept.append({name, value});
                else
                    numbered.emplace(n, value);
            }
            // read as LoadTypedUrls reads it: no empty or overlong address, none twice
            QStringList theirs;
            for (const auto &[n, value] : numbered)
                if (!value.isEmpty() && value.size() <= MaxListedUrl && !theirs.contains(value, Qt::CaseInsensitive))
                    theirs.append(value);
            const QStringList merged = listchanges::merge(m_storedUrls, mine, theirs, [](const QStringList &urls) {
                QStringList folded;
                for (const QString &u : urls)
                    folded.append(u.toCaseFolded());
                return listchanges::byText(folded);
            });
            // the newest are the last
            saved = merged.mid(std::max<qsizetype>(0, merged.size() - MaxTypedUrls));
            platformstore::StringValues values = kept;
            for (qsizetype i = 0; i < saved.size(); ++i)
                values.append({UrlValuePrefix + QString::number(i + 1), saved.at(i)});
            return values;
        });
    if (ok)
        m_storedUrls = saved;
    return typedUrlsWritten(ok);
}

bool TUrlComboBox::ClearTypedUrls()
{
    for (TUrlComboBox *box : std::as_const(liveBoxes())) {
        // what the box shows (the open page's address, or what is being typed) is no typed address
        const QString shown = box->currentText();
        box->clear();
        box->setEditText(shown);
        box->m_storedUrls.clear();
    }
    return platformstore::deleteKey(Hive::CurrentUser, QLatin1String(TypedUrlsKey));
}

namespace {

QUrl addressOf(const QString &text)
{
    QUrl address = useraddress::toUrl(text, QDir::currentPath());
    // "example.org" opens as "http://example.org", which a page reports as "http://example.org/"
    if (address.path().isEmpty() && !address.host().isEmpty())
        address.setPath(QStringLiteral("/"));
    return address;
}

} // namespace

int TUrlComboBox::indexOfSameAddress(const QString &text) const
{
    const QUrl address = addressOf(text);
    if (!address.isValid())
        return -1;
    for (int i = 0; i < count(); ++i)
        if (addressOf(itemText(i)) == address)
            return i;
    return -1;
}

bool TUrlComboBox::AddUrl(const QString &text)
{
    // the list is drawn and searched at every key: an address of megabytes is shown, not listed
    if (text.isEmpty() || text.size() > MaxListedUrl || indexOfUrl(text) >= 0)
        return false;
    const int same = indexOfSameAddress(text);
    if (same >= 0) {
        // the address itself takes the place of what was typed for it; the other way round nothing changes
        if (addressOf(text).toString() != text || addressOf(itemText(same)).toString() == itemText(same))
            return false;
        setItemText(same, text);
        setItemIcon(same, GetUrlIcon(text));
        setCurrentIndex(same);
        return true;
    }
    addItem(GetUrlIcon(text), text);
    setCurrentIndex(count() - 1);
    return true;
}

QIcon TUrlComboBox::GetUrlIcon(const QString &address)
{
    QString path = address;
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        path = QUrl(address).toLocalFile();
    if (!path.isEmpty() && QDir::isAbsolutePath(path)) {
        const QFileInfo info(path);
        if (info.isFile())
            return GetFileIcon(path);
        if (info.isDir())
            return GetFolderIcon();
    }
    return GetHtmlIcon();
}

void TUrlComboBox::SetHistorySource(THistorySource source)
{
    m_historySource = std::move(source);
}

QStringList TUrlComboBox::CompletionsFor(const QString &typed) const
{
    QStringList out;
    // a suggestion begins with the text: none can follow a text longer than a suggestion may be
    if (typed.isEmpty() || typed.size() > MaxListedUrl)
        return out;
    auto add = [&out](const QString &candidate) {
        if (out.size() >= MaxSuggestions || candidate.size() > MaxListedUrl)
            return;
        for (const QString &have : out)
            if (have.compare(candidate, Qt::CaseInsensitive) == 0)
                return;
        out << candidate;
    };
    if (m_fileOptions & UrlMRU)
        for (int i = count() - 1; i >= 0; --i) // newest first
            if (completesTo(typed, itemText(i)))
                add(itemText(i));
    if (m_fileOptions & UrlHistory) {
        const QStringList history = m_historySource ? m_historySource(typed, MaxSuggestions)
                                                    : HistoryStore::shared().completions(typed, MaxSuggestions);
        for (const QString &url : history)
            if (completesTo(typed, url))
                add(url);
    }
    if (m_fileOptions & FileSystem)
        for (const QString &path : fileSuggestions(typed))
            add(path);
    return out;
}

void TUrlComboBox::configureCompleter()
{
    // suggestions are on unless forced off; inline completion only when forced on
    m_completer->setCompletionMode(m_autoSuggest == TUrlAutoSuggest::asForceOff
                                       ? QCompleter::InlineCompletion
                                       : QCompleter::UnfilteredPopupCompletion);
}

void TUrlComboBox::textEdited(const QString &text)
{
    m_typing = true;
    const bool grew = text.size() > m_lastEditLength;
    m_lastEditLength = text.size();
    if (view()->isVisible()) {
        // the open list stays while it holds the text, which then is not selected; else it closes
        if (indexOfUrl(text) >= 0) {
            lineEdit()->deselect();
            return;
        }
        hidePopup();
    }
    const QStringList candidates = CompletionsFor(text);
    if (m_autoComplete == TUrlAutoComplete::acForceOn && grew) {
        for (const QString &c : candidates)
            if (c.startsWith(text, Qt::CaseInsensitive) && c.size() > text.size()) {
                lineEdit()->setText(text + c.mid(text.size()));
                lineEdit()->setSelection(int(text.size()), int(c.size() - text.size()));
                break;
            }
    }
    if (m_autoSuggest == TUrlAutoSuggest::asForceOff)
        return;
    m_suggestions->setStringList(candidates);
    if (candidates.isEmpty() || !isVisible()) {
        m_completer->popup()->hide();
        return;
    }
    m_completer->setCompletionPrefix(QString());
    m_completer->complete();
}

void TUrlComboBox::enterPressed()
{
    // what was typed is on its way: the page's address may show from now on
    m_typing = false;
    const QString text = currentText();
    AddUrl(text);
    navigate(text);
}

void TUrlComboBox::navigate(const QString &url)
{
    if (OnNavigateUrl)
        OnNavigateUrl(this, url);
}

void TUrlComboBox::handleDrop(const QString &url)
{
    // the dropped link is what the user asked for, also when the box has the focus
    m_typing = false;
    setEditText(url);
    AddUrl(url);
    navigate(url);
}

void TUrlComboBox::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !m_completer->popup()->isVisible()) {
        enterPressed();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TUrlComboBox::showPopup()
{
    lineEdit()->setFocus();
    if (!currentText().isEmpty())
        lineEdit()->deselect();
    QComboBox::showPopup();
}

bool TUrlComboBox::listKeyPressed(QKeyEvent *key)
{
    const bool step = (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !(key->modifiers() & Qt::AltModifier);
    if (step) {
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
        m_passingKey = true;
        QCoreApplication::sendEvent(view(), &copy);
        m_passingKey = false;
        // the item reached shows in the box, ready to be typed on
        const QModelIndex reached = view()->currentIndex();
        if (reached.isValid() && reached.row() < count()) {
            m_typing = true;
            setEditText(itemText(reached.row()));
            m_lastEditLength = currentText().size();
        }
        lineEdit()->setFocus();
        if (!currentText().isEmpty())
            lineEdit()->deselect();
        return true;
    }
    // typing and moving in the text go to the edit field, as if the list were not there
    const bool editing = (!key->text().isEmpty() && key->text().at(0).isPrint() &&
                          !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) ||
                         key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                         key->key() == Qt::Key_Left || key->key() == Qt::Key_Right || key->key() == Qt::Key_Home ||
                         key->key() == Qt::Key_End;
    if (!editing)
        return false;
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(lineEdit(), &copy);
    return true;
}

bool TUrlComboBox::pressedOutsideSuggestions(QMouseEvent *mouse)
{
    QWidget *popup = m_completer->popup();
    if (popup->rect().contains(mouse->position().toPoint()))
        return false;
    const QPoint global = mouse->globalPosition().toPoint();
    // the press is handed on here; a platform's own replay would press twice
    popup->setAttribute(Qt::WA_NoMouseReplay);
    popup->hide();
    QWidget *target = QApplication::widgetAt(global);
    // a window the platform knows but the program did not make (the web engine's) hides the box's own
    if (!target && this->window()->frameGeometry().contains(global))
        target = this->window();
    QWindow *window = target ? target->window()->windowHandle() : nullptr;
    if (window) {
        const QPointF local = window->mapFromGlobal(global);
        QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonPress, local, local, global,
                                                            mouse->button(), mouse->buttons(), mouse->modifiers()));
    }
    return true;
}

bool TUrlComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view() && event->type() == QEvent::KeyPress && !m_passingKey && view()->isVisible())
        return listKeyPressed(static_cast<QKeyEvent *>(event)) || QComboBox::eventFilter(watched, event);
    if (watched == m_completer->popup() && event->type() == QEvent::MouseButtonPress &&
        pressedOutsideSuggestions(static_cast<QMouseEvent *>(event)))
        return true;
    if (watched == m_completer->popup() && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && !m_completer->popup()->selectionModel()->hasSelection()) {
            m_completer->popup()->hide();
            enterPressed();
            return true;
        }
        return QComboBox::eventFilter(watched, event);
    }
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !m_completer->popup()->isVisible()) {
            enterPressed();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}
