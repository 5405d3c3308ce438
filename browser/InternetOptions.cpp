#include "browser/InternetOptions.h"

#include "browser/BrowserDialogs.h"
#include "browser/UrlComboBoxes.h"
#include "platform/HistoryStore.h"
#include "platform/PlatformStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

const QString MainKey = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
const QString InternationalKey = QStringLiteral("Software\\Microsoft\\Internet Explorer\\International");

QString readValue(const QString &key, const QString &name, const QString &def)
{
    try {
        return platformstore::readString(Hive::CurrentUser, key, name).value_or(def);
    } catch (...) {
        return def;
    }
}

const char *const Encodings[] = {
    "windows-1252", "utf-8",        "shift_jis",   "euc-jp",       "gbk",          "big5",         "euc-kr",
    "windows-1250", "windows-1251", "koi8-r",      "windows-1253", "windows-1254", "windows-1255", "windows-1256",
    "windows-1257", "windows-1258", "windows-874", "iso-8859-2",   "iso-8859-5",   "iso-8859-7",   "iso-8859-15"};

} // namespace

TInternetOptions readInternetOptions()
{
    TInternetOptions o;
    o.startPage = readValue(MainKey, QStringLiteral("Start Page"), QStringLiteral("about:blank"));
    o.defaultEncoding = readValue(InternationalKey, QStringLiteral("Default_Charset"), QStringLiteral("windows-1252"));
    o.showPictures = readValue(MainKey, QStringLiteral("Display Inline Images"), QStringLiteral("yes"))
                         .compare(QStringLiteral("no"), Qt::CaseInsensitive) != 0;
    o.enableScripts = readValue(MainKey, QStringLiteral("Enable Scripts"), QStringLiteral("yes"))
                          .compare(QStringLiteral("no"), Qt::CaseInsensitive) != 0;
    return o;
}

bool writeInternetOptions(const TInternetOptions &o)
{
    auto yesNo = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    bool ok = platformstore::writeString(Hive::CurrentUser, MainKey, QStringLiteral("Start Page"), o.startPage);
    ok = platformstore::writeString(Hive::CurrentUser, InternationalKey, QStringLiteral("Default_Charset"),
                                    o.defaultEncoding) &&
         ok;
    ok = platformstore::writeString(Hive::CurrentUser, MainKey, QStringLiteral("Display Inline Images"),
                                    yesNo(o.showPictures)) &&
         ok;
    ok = platformstore::writeString(Hive::CurrentUser, MainKey, QStringLiteral("Enable Scripts"),
                                    yesNo(o.enableScripts)) &&
         ok;
    return ok;
}

void applyStoredInternetOptions(QWebEngineProfile *profile)
{
    const TInternetOptions o = readInternetOptions();
    QWebEngineSettings *s = profile->settings();
    s->setDefaultTextEncoding(o.defaultEncoding);
    s->setAttribute(QWebEngineSettings::AutoLoadImages, o.showPictures);
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, o.enableScripts);
}

TInternetOptionsDialog::TInternetOptionsDialog(QWebEngineProfile *profile, const QString &currentUrl, QWidget *parent)
    : QDialog(parent)
    , m_profile(profile)
{
    setObjectName(QStringLiteral("InternetOptions"));
    setWindowTitle(tr("Internet Options"));
    const TInternetOptions o = readInternetOptions();
    auto *layout = new QVBoxLayout(this);

    auto *home = new QGroupBox(tr("Start page"), this);
    auto *homeLayout = new QVBoxLayout(home);
    m_startPage = new QLineEdit(o.startPage, home);
    homeLayout->addWidget(m_startPage);
    auto *homeButtons = new QHBoxLayout;
    auto *useCurrent = new QPushButton(tr("Use &Current"), home);
    useCurrent->setEnabled(!currentUrl.isEmpty());
    connect(useCurrent, &QPushButton::clicked, this, [this, currentUrl] { m_startPage->setText(currentUrl); });
    auto *useBlank = new QPushButton(tr("Use &Blank"), home);
    connect(useBlank, &QPushButton::clicked, this, [this] { m_startPage->setText(QStringLiteral("about:blank")); });
    homeButtons->addStretch();
    homeButtons->addWidget(useCurrent);
    homeButtons->addWidget(useBlank);
    homeLayout->addLayout(homeButtons);
    layout->addWidget(home);

    auto *content = new QGroupBox(tr("Content"), this);
    auto *form = new QFormLayout(content);
    m_encoding = new QComboBox(content);
    for (const char *e : Encodings)
        m_encoding->addItem(QString::fromLatin1(e));
    if (m_encoding->findText(o.defaultEncoding) < 0)
        m_encoding->addItem(o.defaultEncoding);
    m_encoding->setCurrentText(o.defaultEncoding);
    form->addRow(tr("Default &encoding:"), m_encoding);
    m_pictures = new QCheckBox(tr("Show &pictures"), content);
    m_pictures->setChecked(o.showPictures);
    form->addRow(m_pictures);
    m_scripts = new QCheckBox(tr("Enable &scripts"), content);
    m_scripts->setChecked(o.enableScripts);
    form->addRow(m_scripts);
    layout->addWidget(content);

    auto *privacy = new QGroupBox(tr("Browsing data"), this);
    auto *privacyLayout = new QHBoxLayout(privacy);
    auto *cache = new QPushButton(tr("Delete &Files..."), privacy);
    connect(cache, &QPushButton::clicked, this, &TInternetOptionsDialog::clearCache);
    auto *cookies = new QPushButton(tr("Delete C&ookies..."), privacy);
    connect(cookies, &QPushButton::clicked, this, &TInternetOptionsDialog::clearCookies);
    auto *history = new QPushButton(tr("Clear &History"), privacy);
    connect(history, &QPushButton::clicked, this, &TInternetOptionsDialog::clearHistory);
    privacyLayout->addWidget(cache);
    privacyLayout->addWidget(cookies);
    privacyLayout->addWidget(history);
    layout->addWidget(privacy);
    m_done = new QLabel(this);
    layout->addWidget(m_done);

    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (apply())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &TInternetOptionsDialog::apply);
    layout->addWidget(buttons);
}

TInternetOptions TInternetOptionsDialog::options() const
{
    TInternetOptions o;
    o.startPage =
        m_startPage->text().trimmed().isEmpty() ? QStringLiteral("about:blank") : m_startPage->text().trimmed();
    o.defaultEncoding = m_encoding->currentText();
    o.showPictures = m_pictures->isChecked();
    o.enableScripts = m_scripts->isChecked();
    return o;
}

bool TInternetOptionsDialog::apply()
{
    if (!writeInternetOptions(options())) {
        browserDialogs().messageBox(this, windowTitle(), tr("The settings could not be saved."), QMessageBox::Warning,
                                    QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }
    applyStoredInternetOptions(m_profile);
    return true;
}

void TInternetOptionsDialog::clearCache()
{
    m_profile->clearHttpCache();
    m_done->setText(tr("Temporary files deleted."));
}

void TInternetOptionsDialog::clearCookies()
{
    m_profile->cookieStore()->deleteAllCookies();
    m_done->setText(tr("Cookies deleted."));
}

void TInternetOptionsDialog::clearHistory()
{
    m_profile->clearAllVisitedLinks();
    // the visits, the pages and the typed addresses, so the address box offers none of them again
    HistoryStore &store = HistoryStore::shared();
    const bool storeCleared = store.isOpen() && store.clear();
    const bool typedCleared = TUrlComboBox::ClearTypedUrls();
    if (storeCleared && typedCleared) {
        m_done->setText(tr("History cleared."));
        return;
    }
    const QString reason =
        !storeCleared ? QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(store.path()), store.errorString())
                      : QDir::toNativeSeparators(platformstore::hiveFile(Hive::CurrentUser));
    m_done->setText(tr("The history could not be cleared (%1).").arg(reason));
}
