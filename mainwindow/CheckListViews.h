#pragma once
// A list of lines with check boxes that reports each change of a line's check mark: a tick the user
// sets or clears with the mouse or the space bar, or one the program sets. Selecting or focusing a
// line changes no mark and raises nothing.
#include <QListWidget>
#include <functional>

class TCustomCheckListView;
using TLVCheckedChangeEvent = std::function<void(TCustomCheckListView *sender, QListWidgetItem *item)>;

class TCustomCheckListView : public QListWidget {
    Q_OBJECT
public:
    explicit TCustomCheckListView(QWidget *parent = nullptr);

    TLVCheckedChangeEvent OnCheckedChange;

protected:
    // An item's data changed: the mark and the caption are compared with the ones last seen.
    virtual void ItemChanged(QListWidgetItem *item);
    // The caption changed (also raised for the caption a new item gets).
    virtual void CaptionChanged(QListWidgetItem *item);
    // Notes the item's mark and caption as seen, so setting up a new item raises nothing.
    static void Seen(QListWidgetItem *item);
};
