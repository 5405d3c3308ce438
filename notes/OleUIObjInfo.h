#pragma once
// The properties of an object in a rich-edit control: what its General and View pages show and
// change (TOleUIObjInfo), what the Link page of a linked file shows and does (TOleUILinkInfo), and the
// dialog with those pages (type, size and location; display as content or as icon; the link's source
// and update option, Open Source, Update Now and Change Source). Converting an object to another type
// is not offered.
#include "notes/RichTextModel.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>

class TMMRxCustomRichEdit;
class QButtonGroup;
class QLineEdit;
class QLabel;

class TOleUIObjInfo {
public:
    TOleUIObjInfo(TMMRxCustomRichEdit *owner, int position);

    struct Info {
        qint64 Size = -1; // -1: not known
        QString Label;    // the object's full type name
        QString Type;
        QString ShortType;
        QString Location; // the note's title and the program's title
    };
    Info GetObjectInfo() const;
    // Iconic: shown as its icon; scale: 0 (not given).
    void GetViewInfo(bool &iconic, int &scale) const;
    // Only a file has an icon to be shown as.
    bool CanShowAsIcon() const;
    // Shows the object as its icon or its content; false when it cannot.
    bool SetViewInfo(bool iconic);
    TRichObject Object() const;

private:
    TMMRxCustomRichEdit *m_owner;
    int m_position;
};

class TOleUILinkInfo {
public:
    // The link information of a linked file; none for any other object.
    static std::unique_ptr<TOleUILinkInfo> Create(TMMRxCustomRichEdit *owner, int position);

    // True: the link is updated whenever the note is loaded; false: only by Update Now.
    bool GetLinkUpdateOptions() const;
    // Marks the control's document modified.
    bool SetLinkUpdateOptions(bool automatic);
    QString GetLinkSource() const;
    // Links to another file; validate: the name was found to be a file. An invalid source is refused
    // with the link error box.
    bool SetLinkSource(const QString &path, bool validate);
    bool OpenLinkSource();
    bool UpdateLink();
    // Breaking a link is not supported: says so in the link error box.
    bool CancelLink();

private:
    TOleUILinkInfo(TMMRxCustomRichEdit *owner, int position);
    void showError(const QString &text) const;
    TMMRxCustomRichEdit *m_owner;
    int m_position;
};

// The object's properties dialog, run through the dialog seam; OK applies the pages.
class TObjectPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    TObjectPropertiesDialog(QWidget *parent, TOleUIObjInfo &objectInfo, TOleUILinkInfo *linkInfo);
    // Runs the dialog and applies it on OK; true when it ended with OK.
    bool Run();

private:
    void apply();
    TOleUIObjInfo &m_objectInfo;
    TOleUILinkInfo *m_linkInfo;
    QButtonGroup *m_view = nullptr;
    QButtonGroup *m_update = nullptr;
    QLineEdit *m_source = nullptr;
    QLabel *m_sourceShown = nullptr;
    bool m_startIconic = false;
    bool m_startAutomatic = true;
};
