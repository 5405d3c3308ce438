#include "platform/MessageBoxes.h"

#include "platform/DialogRunner.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <algorithm>

namespace messageboxes {

int show(QWidget *parent, const QString &text, const QString &caption, unsigned flags)
{
    QMessageBox box(parent);
    box.setProperty("Flags", flags);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    switch (flags & 0xF0) {
    case IconStop:
        box.setIcon(QMessageBox::Critical);
        break;
    case IconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case IconExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case IconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (flags & 0x0F) {
    case OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    fitCaption(box);
    return answerOf(dialogrunner::exec(box), flags);
}

void fitCaption(QMessageBox &box)
{
    // the window's icon and its three title-bar buttons; title bars draw their caption in bold
    constexpr int TitleBarRoom = 120;
    constexpr int MostWidth = 640;
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    QFont bold = box.font();
    bold.setBold(true);
    const int wanted = std::min(QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + TitleBarRoom, MostWidth);
    const QMargins margins = grid->contentsMargins();
    grid->addItem(
        new QSpacerItem(wanted - margins.left() - margins.right(), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
        grid->rowCount(), 0, 1, grid->columnCount());
}

int buttonOf(int answer)
{
    switch (answer) {
    case IdOK:
        return QMessageBox::Ok;
    case IdYes:
        return QMessageBox::Yes;
    case IdNo:
        return QMessageBox::No;
    default:
        return QMessageBox::Cancel;
    }
}

int answerOf(int button, unsigned flags)
{
    switch (button) {
    case QMessageBox::Ok:
        return IdOK;
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    default:
        return (flags & 0x0F) == YesNo ? IdNo : IdCancel;
    }
}

} // namespace messageboxes
