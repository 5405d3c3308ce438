#include "explorerbar/Bookmark.h"

#include "settings/BrivoSystemCompact.h"
#include "settings/LanguageFonts.h"
#include "settings/MemInis.h"
#include "ui_Bookmark.h"

#include <QResizeEvent>
#include <QScreen>

TfrmBookmark::TfrmBookmark(QWidget *owner)
    : QDialog(owner)
    , m_ui(std::make_unique<Ui::TfrmBookmark>())
{
    m_ui->setupUi(this);
    lblTitle = m_ui->lblTitle;
    lblAddress = m_ui->lblAddress;
    Bevel1 = m_ui->Bevel1;
    EditTitle = m_ui->EditTitle;
    EditAddress = m_ui->EditAddress;
    btbtnOK = m_ui->btbtnOK;
    btbtnCancel = m_ui->btbtnCancel;
    m_designSize = size();
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

TfrmBookmark::~TfrmBookmark() = default;

QString TfrmBookmark::Title() const
{
    return EditTitle->text();
}

void TfrmBookmark::SetTitle(const QString &value)
{
    EditTitle->setText(value);
}

QString TfrmBookmark::Url() const
{
    const QString text = EditAddress->text();
    return text.isEmpty() ? SBlankPage : text;
}

void TfrmBookmark::SetUrl(const QString &value)
{
    EditAddress->setText(value);
}

void TfrmBookmark::ApplyLanguage(const TMemIni &table)
{
    // the table's face, or one with its character set's characters where that face is missing
    const TTableFont tableFont = ReadTableFont(table, font(), property("Charset").toInt());
    setProperty("Charset", tableFont.charset);
    setFont(FontForCharset(tableFont.font, tableFont.charset));
    const QString section = QStringLiteral("Bookmark");
    setWindowTitle(table.ReadString(section, QStringLiteral("Caption"), QString()));
    lblTitle->setText(table.ReadString(section, QStringLiteral("lblTitle"), QString()));
    lblAddress->setText(table.ReadString(section, QStringLiteral("lblAddress"), QString()));
    btbtnOK->setText(table.ReadString(QStringLiteral("Const"), QStringLiteral("OK"), QString()));
    btbtnCancel->setText(table.ReadString(QStringLiteral("Const"), QStringLiteral("Cancel"), QString()));
}

void TfrmBookmark::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // edit boxes and the bevel follow the right edge; the buttons stay at their distance from it
    const int dx = event->size().width() - m_designSize.width();
    EditTitle->resize(313 + dx, EditTitle->height());
    EditAddress->resize(313 + dx, EditAddress->height());
    Bevel1->resize(628 + dx, Bevel1->height());
    btbtnOK->move(240 + dx, btbtnOK->y());
    btbtnCancel->move(328 + dx, btbtnCancel->y());
}

void TfrmBookmark::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}
