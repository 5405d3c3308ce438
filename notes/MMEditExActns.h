#pragma once
// Edit commands that act on whichever edit-like widget has the input focus: a line edit or text
// edit, the edit of a combo box, the label editor of a tree or list view, or a notes editor. Redo
// acts only in a notes editor.
#include <QAction>
#include <QPointer>

enum TEditTargetKind { etEdit, etComboEdit, etListViewEditor, etTreeViewEditor, etRichEdit };

class TMMEditExAction : public QAction {
    Q_OBJECT
public:
    explicit TMMEditExAction(QObject *parent = nullptr);

    // True when the widget has the input focus and is edit-like; remembers its edit and kind.
    bool HandlesTarget(QWidget *target);
    // The enabled state for the edit that HandlesTarget found.
    virtual void UpdateTarget(QWidget *target);
    // Runs the command on that edit.
    virtual void ExecuteTarget(QWidget *target) = 0;

    // Offers the focused widget: updates the state, or disables the action when nothing is handled.
    void Update();
    // Offers the focused widget and runs the command on it when it is handled.
    void Execute();

    QWidget *TargetWindow() const { return m_targetWindow; }
    TEditTargetKind TargetKind() const { return m_targetKind; }

protected:
    bool ClassifyTarget(QWidget *target);
    // Whether the command needs a selection (cut, copy, delete).
    virtual bool needsSelection() const { return false; }
    // Queries and commands on the remembered edit.
    bool hasSelection() const;
    int textLength() const;
    bool canUndo() const;
    bool canRedo() const;
    bool canPaste() const;
    void cut();
    void copy();
    void paste();
    void clearSelection();
    void selectAll();
    void undo();
    void redo();

private:
    QPointer<QWidget> m_targetWindow;
    TEditTargetKind m_targetKind = etEdit;
};

class TMMEditCutEx : public TMMEditExAction {
    Q_OBJECT
public:
    using TMMEditExAction::TMMEditExAction;
    void ExecuteTarget(QWidget *) override { cut(); }

protected:
    bool needsSelection() const override { return true; }
};

class TMMEditCopyEx : public TMMEditExAction {
    Q_OBJECT
public:
    using TMMEditExAction::TMMEditExAction;
    void ExecuteTarget(QWidget *) override { copy(); }

protected:
    bool needsSelection() const override { return true; }
};

class TMMEditPasteEx : public TMMEditExAction {
    Q_OBJECT
public:
    explicit TMMEditPasteEx(QObject *parent = nullptr);
    // Asks what the clipboard holds (a round trip to the display server) only after the clipboard,
    // the edit or the edit's read-only state changed, not at every update.
    void UpdateTarget(QWidget *target) override;
    void ExecuteTarget(QWidget *) override { paste(); }

private:
    QPointer<QWidget> m_asked;
    bool m_askedReadOnly = false;
    bool m_clipboardChanged = true;
    bool m_canPaste = false;
};

class TMMEditSelectAllEx : public TMMEditExAction {
    Q_OBJECT
public:
    using TMMEditExAction::TMMEditExAction;
    void UpdateTarget(QWidget *) override { setEnabled(textLength() >= 1); }
    void ExecuteTarget(QWidget *) override { selectAll(); }
};

class TMMEditUndoEx : public TMMEditExAction {
    Q_OBJECT
public:
    using TMMEditExAction::TMMEditExAction;
    void UpdateTarget(QWidget *) override { setEnabled(canUndo()); }
    void ExecuteTarget(QWidget *) override { undo(); }
};

class TMMEditDeleteEx : public TMMEditExAction {
    Q_OBJECT
public:
    using TMMEditExAction::TMMEditExAction;
    void ExecuteTarget(QWidget *) override { clearSelection(); }

protected:
    bool needsSelection() const override { return true; }
};

class TMMEditRedoEx : public TMMEditExAction {
    Q_OBJECT
public:
    using TMMEditExAction::TMMEditExAction;
    void UpdateTarget(QWidget *) override { setEnabled(TargetKind() == etRichEdit && canRedo()); }
    void ExecuteTarget(QWidget *) override { redo(); }
};
