#pragma once
// A one-column check list whose lines are edited in place and which is also offered as a list of
// strings. Lines are unique without regard to letter case: an insertion of a line already there is
// dropped, and an in-place edit that would rename a line onto another line's text is refused (the
// line keeps its text). An edit that ends with an empty text, or Esc on a new empty line, removes
// the line; the removal happens once the editor has closed.
#include "mainwindow/CheckListViews.h"

#include <QPersistentModelIndex>
#include <QStringList>

class TEditCheckListView;
using TLVStringsChangeEvent = std::function<void(TEditCheckListView *sender, QListWidgetItem *item)>;

// Why an in-place edit was refused.
enum class TEditRefusal { Repeated, NotAllowed };

// The lines of a TEditCheckListView as a list of strings; every operation works on the view's items.
class TEditCheckListStrings {
public:
    explicit TEditCheckListStrings(TEditCheckListView *owner);

    int GetCount() const;
    QString Get(int index) const;
    void Clear();
    // Removes the line; the selection stays at its position, or moves to the new last line.
    void Delete(int index);
    // Position of the first line equal to s without regard to letter case (a-z), or -1.
    int IndexOf(const QString &s) const;
    // Inserts s at index (at the end when index is negative or past the end) unless it is there
    // already; an empty s is selected and opened for editing. Returns the new line's position or -1.
    int Insert(int index, const QString &s);
    int Add(const QString &s) { return Insert(-1, s); }
    bool GetChecked(int index) const;
    void SetChecked(int index, bool value);
    // Exchanges the texts and marks of the two lines; the selection follows the text it was on.
    void MoveItem(int curIndex, int newIndex);
    // Clear, then Add every line in order.
    void Assign(const QStringList &lines);
    QStringList Lines() const;

private:
    TEditCheckListView *FOwner;
};

class TEditCheckListView : public TCustomCheckListView {
    Q_OBJECT
public:
    explicit TEditCheckListView(QWidget *parent = nullptr);
    ~TEditCheckListView() override;

    TEditCheckListStrings *Strings() const { return FStrings; }
    void SetStrings(const QStringList &value);

    // Raised for every caption set: a new line, an accepted edit, a move.
    TLVStringsChangeEvent OnStringsChange;
    // Raised before a line is removed, with its position.
    std::function<void(TEditCheckListView *sender, int index)> OnDeletion;
    // Asked before an edited text is taken; false refuses it.
    std::function<bool(const QString &text)> TextAllowed;
    // Raised when an edit is refused, with the line's position and the refused text.
    std::function<void(TEditCheckListView *sender, int index, const QString &text, TEditRefusal why)> OnEditRefused;

    // The selected position, or -1.
    int SelectedIndex() const;
    void SetSelectedIndex(int index);
    // Ends in-place editing without taking the edited text.
    void CancelEdit();
    // Opens the line's editor (the editor of a new line is empty).
    void EditLine(int index);

protected:
    void CaptionChanged(QListWidgetItem *item) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TEditCheckListStrings;
    friend class TLineDelegate;
    // The editor's text for the line at index: taken, or refused and reported.
    void Edit(const QModelIndex &index, const QString &text);
    void RemoveEmptied(const QPersistentModelIndex &index);

    TEditCheckListStrings *FStrings;
    QPersistentModelIndex FEditing;
};
