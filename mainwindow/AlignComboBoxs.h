#pragma once
// An editable drop-down list whose alignment in its band can be set like any control's.
#include <QComboBox>

class TAlignComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TAlignComboBox(QWidget *parent = nullptr)
        : QComboBox(parent)
    {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setMaxVisibleItems(15);
    }
    Qt::Alignment Align() const { return m_align; }
    void setAlign(Qt::Alignment align) { m_align = align; }

private:
    Qt::Alignment m_align = Qt::AlignLeft;
};
