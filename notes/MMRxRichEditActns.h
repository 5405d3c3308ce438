#pragma once
// Formatting commands of the notes editor: character styles, bullets, sub- and superscript,
// paragraph alignment, the font dialog, find, find next and replace. Each acts on its bound editor
// (RichEdit), so it works while the focus is in a box or on a tool bar, or else on the focused notes
// editor; the checkable ones show what the selection looks like.
#include <QAction>
#include <QPointer>
#include <memory>

class TMMRxCustomRichEdit;
class TRichEditFontDialog;

class TMMRichEditActionEx : public QAction {
    Q_OBJECT
public:
    explicit TMMRichEditActionEx(QObject *parent = nullptr);

    TMMRxCustomRichEdit *RichEdit() const { return m_richEdit; }
    // Bound editor; forgotten when the editor is destroyed.
    void SetRichEdit(TMMRxCustomRichEdit *value) { m_richEdit = value; }

    bool HandlesTarget(QWidget *target) const;
    // Enabled when the target is a notes editor or an editor is bound; members add their check mark.
    virtual void UpdateTarget(QWidget *target);
    virtual void ExecuteTarget(QWidget *target) = 0;

    // Offers the focused widget: updates the state, or disables the action when nothing is handled.
    void Update();
    // Offers the focused widget and runs the command (a checkable action has already flipped).
    void Execute();

protected:
    // The target itself when it is a notes editor, else the bound editor.
    TMMRxCustomRichEdit *GetControl(QWidget *target) const;
    // A checkable member: the check follows the selection.
    virtual bool selectionChecked(TMMRxCustomRichEdit *) const { return false; }

private:
    QPointer<TMMRxCustomRichEdit> m_richEdit;
};

// A checkable member (its check flips before it runs).
class TMMRichEditCheckActionEx : public TMMRichEditActionEx {
    Q_OBJECT
public:
    explicit TMMRichEditCheckActionEx(QObject *parent = nullptr);
    void UpdateTarget(QWidget *target) override;
};

#define BRIVO_RICH_CHECK_ACTION(Name)                                                                                  \
    class Name : public TMMRichEditCheckActionEx {                                                                     \
    public:                                                                                                            \
        using TMMRichEditCheckActionEx::TMMRichEditCheckActionEx;                                                      \
        void ExecuteTarget(QWidget *target) override;                                                                  \
                                                                                                                       \
    protected:                                                                                                         \
        bool selectionChecked(TMMRxCustomRichEdit *edit) const override;                                               \
    };

BRIVO_RICH_CHECK_ACTION(TMMRichEditBoldEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditItalicEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditUnderlineEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditStrikeOutEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditBulletsEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditSubscriptEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditSubscriptNoneEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditSuperscriptEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditAlignLeftEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditAlignRightEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditAlignCenterEx)
BRIVO_RICH_CHECK_ACTION(TMMRichEditAlignJustifyEx)
#undef BRIVO_RICH_CHECK_ACTION

// The font dialog for the selection (the dialog is the action's own).
class TMMRichEditFontEx : public TMMRichEditActionEx {
    Q_OBJECT
public:
    explicit TMMRichEditFontEx(QObject *parent = nullptr);
    ~TMMRichEditFontEx() override;
    TRichEditFontDialog &Dialog();
    void ExecuteTarget(QWidget *target) override;

private:
    std::unique_ptr<TRichEditFontDialog> m_dialog;
};

class TMMRichEditFindEx : public TMMRichEditActionEx {
    Q_OBJECT
public:
    using TMMRichEditActionEx::TMMRichEditActionEx;
    void ExecuteTarget(QWidget *target) override;
};

class TMMRichEditFindNextEx : public TMMRichEditActionEx {
    Q_OBJECT
public:
    using TMMRichEditActionEx::TMMRichEditActionEx;
    // Enabled when the target is a notes editor whose last search can be repeated.
    void UpdateTarget(QWidget *target) override;
    void ExecuteTarget(QWidget *target) override;
};

class TMMRichEditReplaceEx : public TMMRichEditActionEx {
    Q_OBJECT
public:
    using TMMRichEditActionEx::TMMRichEditActionEx;
    void ExecuteTarget(QWidget *target) override;
};
