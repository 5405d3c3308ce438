#pragma once
// The internet-options dialog: start page, default text encoding, pictures and scripts on or off,
// and clearing the cache, the cookies and the visited links. It works on the profile, so it needs
// no page; the values live in the platform store and are applied to the profile at start.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWebEngineProfile;

struct TInternetOptions {
    QString startPage;
    QString defaultEncoding;
    bool showPictures = true;
    bool enableScripts = true;
};

// The stored values (defaults: the store's start page, "windows-1252", pictures and scripts on).
TInternetOptions readInternetOptions();
bool writeInternetOptions(const TInternetOptions &options);
// Applies the stored values to the profile's settings.
void applyStoredInternetOptions(QWebEngineProfile *profile);

class TInternetOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // currentUrl is the active page's address for "Use current" (empty: the button is disabled).
    TInternetOptionsDialog(QWebEngineProfile *profile, const QString &currentUrl, QWidget *parent = nullptr);

    TInternetOptions options() const;
    // Stores the values and applies them to the profile; false (and a message) when the store fails.
    bool apply();

    QLineEdit *startPageEdit() const { return m_startPage; }
    QComboBox *encodingBox() const { return m_encoding; }
    QCheckBox *picturesBox() const { return m_pictures; }
    QCheckBox *scriptsBox() const { return m_scripts; }

    void clearCache();
    void clearCookies();
    void clearHistory();

private:
    QWebEngineProfile *m_profile;
    QLineEdit *m_startPage;
    QComboBox *m_encoding;
    QCheckBox *m_pictures;
    QCheckBox *m_scripts;
    QLabel *m_done;
};
