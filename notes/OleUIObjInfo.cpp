#include "notes/OleUIObjInfo.h"

#include "notes/MMRxRichEdit.h"
#include "notes/RichEditObjects.h"
#include "platform/ApplicationTitle.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

using namespace richedit;

// ---- object information ----

TOleUIObjInfo::TOleUIObjInfo(TMMRxCustomRichEdit *owner, int position)
    : m_owner(owner)
    , m_position(position)
{}

TRichObject TOleUIObjInfo::Object() const
{
    return m_owner->ObjectAt(m_position);
}

TOleUIObjInfo::Info TOleUIObjInfo::GetObjectInfo() const
{
    const TRichObject o = Object();
    Info info;
    info.Size = ObjectDataSize(o);
    info.Label = info.Type = ObjectTypeName(o);
    info.ShortType = o.IsFile() ? QFileInfo(o.FileName).suffix().toUpper() : info.Type;
    if (info.ShortType.isEmpty())
        info.ShortType = info.Type;
    const QString title = m_owner->Title().trimmed();
    info.Location = title.isEmpty() ? applicationtitle::get()
                                    : QStringLiteral("%1 - %2").arg(m_owner->Title(), applicationtitle::get());
    return info;
}

void TOleUIObjInfo::GetViewInfo(bool &iconic, int &scale) const
{
    iconic = Object().DisplayAsIcon;
    scale = 0;
}

bool TOleUIObjInfo::CanShowAsIcon() const
{
    return Object().IsFile();
}

bool TOleUIObjInfo::SetViewInfo(bool iconic)
{
    TRichObject o = Object();
    if (!o.IsFile())
        return false;
    if (o.DisplayAsIcon == iconic)
        return true;
    o.DisplayAsIcon = iconic;
    o.ScaleX = o.ScaleY = 100;
    RefreshFileObject(o);
    return m_owner->ReplaceObject(m_position, o);
}

// ---- link information ----

std::unique_ptr<TOleUILinkInfo> TOleUILinkInfo::Create(TMMRxCustomRichEdit *owner, int position)
{
    if (owner->ObjectAt(position).ObjectKind != TRichObject::LinkedFile)
        return nullptr;
    return std::unique_ptr<TOleUILinkInfo>(new TOleUILinkInfo(owner, position));
}

TOleUILinkInfo::TOleUILinkInfo(TMMRxCustomRichEdit *owner, int position)
    : m_owner(owner)
    , m_position(position)
{}

void TOleUILinkInfo::showError(const QString &text) const
{
    messageboxes::show(m_owner, text, QStringLiteral("リンク プロパティ"), messageboxes::OK | messageboxes::IconStop);
}

bool TOleUILinkInfo::GetLinkUpdateOptions() const
{
    return !m_owner->ObjectAt(m_position).ManualUpdate;
}

bool TOleUILinkInfo::SetLinkUpdateOptions(bool automatic)
{
    TRichObject o = m_owner->ObjectAt(m_position);
    if (o.ManualUpdate == !automatic)
        return true;
    o.ManualUpdate = !automatic;
    if (!m_owner->ReplaceObject(m_position, o))
        return false;
    m_owner->SetModified(true);
    return true;
}

QString TOleUILinkInfo::GetLinkSource() const
{
    return m_owner->ObjectAt(m_position).FileName;
}

bool TOleUILinkInfo::SetLinkSource(const QString &path, bool validate)
{
    if (!validate) {
        showError(QStringLiteral("不正なソースへのリンクはできません"));
        return false;
    }
    const QFileInfo info(path.left(256));
    if (!info.isFile())
        return false;
    TRichObject o = m_owner->ObjectAt(m_position);
    o.FileName = info.absoluteFilePath();
    o.FileType = FileObject(o.FileName, true).FileType;
    RefreshFileObject(o);
    return m_owner->ReplaceObject(m_position, o);
}

bool TOleUILinkInfo::OpenLinkSource()
{
    return m_owner->DoObjectVerb(m_position, VerbOpenSource);
}

bool TOleUILinkInfo::UpdateLink()
{
    return m_owner->DoObjectVerb(m_position, VerbUpdateNow);
}

bool TOleUILinkInfo::CancelLink()
{
    showError(QStringLiteral("リンクを切る機能はサポートされていません"));
    return false;
}

// ---- the dialog ----

namespace {

QString sizeText(qint64 size)
{
    if (size < 0)
        return QStringLiteral("不明");
    // the dialog is written in Japanese: so are its numbers and units, whatever the system's language
    const QLocale japanese(QLocale::Japanese);
    const QString bytes = QStringLiteral("%1 バイト").arg(japanese.toString(size));
    if (size < 1024)
        return bytes;
    return QStringLiteral("%1 (%2)").arg(japanese.formattedDataSize(size, 2, QLocale::DataSizeTraditionalFormat),
                                         bytes);
}

} // namespace

TObjectPropertiesDialog::TObjectPropertiesDialog(QWidget *parent, TOleUIObjInfo &objectInfo, TOleUILinkInfo *linkInfo)
    : QDialog(parent)
    , m_objectInfo(objectInfo)
    , m_linkInfo(linkInfo)
{
    const TRichObject object = objectInfo.Object();
    setWindowTitle(PropertiesCaption(object));
    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("pages"));

    // General
    const TOleUIObjInfo::Info info = objectInfo.GetObjectInfo();
    auto *general = new QWidget;
    auto *form = new QFormLayout(general);
    auto addRow = [form](const QString &label, const QString &value, const char *name) {
        auto *l = new QLabel(value);
        l->setTextFormat(Qt::PlainText); // names and classes come from the note's file
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(label, l);
    };
    addRow(QStringLiteral("種類:"), info.Type, "type");
    addRow(QStringLiteral("サイズ:"), sizeText(info.Size), "size");
    addRow(QStringLiteral("場所:"), info.Location, "location");
    if (object.IsFile())
        addRow(QStringLiteral("名前:"), object.FileName, "name");
    tabs->addTab(general, QStringLiteral("全般"));

    // View
    auto *view = new QWidget;
    auto *viewLayout = new QVBoxLayout(view);
    m_view = new QButtonGroup(this);
    auto *content = new QRadioButton(QStringLiteral("内容を表示(&D)"));
    content->setObjectName(QStringLiteral("display-content"));
    auto *icon = new QRadioButton(QStringLiteral("アイコンで表示(&I)"));
    icon->setObjectName(QStringLiteral("display-icon"));
    m_view->addButton(content, 0);
    m_view->addButton(icon, 1);
    int scale = 0;
    objectInfo.GetViewInfo(m_startIconic, scale);
    (m_startIconic ? icon : content)->setChecked(true);
    const bool canChange = objectInfo.CanShowAsIcon();
    content->setEnabled(canChange);
    icon->setEnabled(canChange);
    viewLayout->addWidget(content);
    viewLayout->addWidget(icon);
    auto *scaleRow = new QHBoxLayout;
    auto *scaleBox = new QSpinBox;
    scaleBox->setObjectName(QStringLiteral("scale"));
    scaleBox->setRange(1, 5000);
    scaleBox->setSuffix(QStringLiteral("%"));
    scaleBox->setValue(object.ScaleX);
    scaleBox->setEnabled(false); // the scale is not changed here
    scaleRow->addWidget(new QLabel(QStringLiteral("倍率(&S):")));
    scaleRow->addWidget(scaleBox);
    scaleRow->addStretch();
    viewLayout->addLayout(scaleRow);
    viewLayout->addStretch();
    tabs->addTab(view, QStringLiteral("表示"));

    // Link
    if (linkInfo) {
        auto *link = new QWidget;
        auto *linkLayout = new QVBoxLayout(link);
        auto *sourceForm = new QFormLayout;
        m_sourceShown = new QLabel(linkInfo->GetLinkSource());
        m_sourceShown->setTextFormat(Qt::PlainText);
        m_sourceShown->setObjectName(QStringLiteral("source"));
        sourceForm->addRow(QStringLiteral("リンク元:"), m_sourceShown);
        linkLayout->addLayout(sourceForm);
        m_update = new QButtonGroup(this);
        auto *automatic = new QRadioButton(QStringLiteral("自動(&A)"));
        automatic->setObjectName(QStringLiteral("update-automatic"));
        auto *manual = new QRadioButton(QStringLiteral("手動(&M)"));
        manual->setObjectName(QStringLiteral("update-manual"));
        m_update->addButton(automatic, 1);
        m_update->addButton(manual, 0);
        m_startAutomatic = linkInfo->GetLinkUpdateOptions();
        (m_startAutomatic ? automatic : manual)->setChecked(true);
        auto *updateRow = new QHBoxLayout;
        updateRow->addWidget(new QLabel(QStringLiteral("更新:")));
        updateRow->addWidget(automatic);
        updateRow->addWidget(manual);
        updateRow->addStretch();
        linkLayout->addLayout(updateRow);
        auto *changeRow = new QHBoxLayout;
        m_source = new QLineEdit(linkInfo->GetLinkSource());
        m_source->setObjectName(QStringLiteral("new-source"));
        auto *change = new QPushButton(QStringLiteral("リンク元の変更(&C)"));
        change->setObjectName(QStringLiteral("change-source"));
        changeRow->addWidget(m_source, 1);
        changeRow->addWidget(change);
        linkLayout->addLayout(changeRow);
        auto *buttons = new QHBoxLayout;
        auto *open = new QPushButton(QStringLiteral("リンク元を開く(&O)"));
        open->setObjectName(QStringLiteral("open-source"));
        auto *update = new QPushButton(QStringLiteral("今すぐ更新(&U)"));
        update->setObjectName(QStringLiteral("update-now"));
        auto *cancel = new QPushButton(QStringLiteral("リンクの解除(&B)"));
        cancel->setObjectName(QStringLiteral("break-link"));
        cancel->setEnabled(false); // links are not broken here
        buttons->addWidget(open);
        buttons->addWidget(update);
        buttons->addWidget(cancel);
        buttons->addStretch();
        linkLayout->addLayout(buttons);
        linkLayout->addStretch();
        connect(open, &QPushButton::clicked, this, [this] { m_linkInfo->OpenLinkSource(); });
        connect(update, &QPushButton::clicked, this, [this] { m_linkInfo->UpdateLink(); });
        connect(cancel, &QPushButton::clicked, this, [this] { m_linkInfo->CancelLink(); });
        connect(change, &QPushButton::clicked, this, [this] {
            const QString path = m_source->text().trimmed();
            if (m_linkInfo->SetLinkSource(path, QFileInfo(path).isFile()))
                m_sourceShown->setText(m_linkInfo->GetLinkSource());
        });
        tabs->addTab(link, QStringLiteral("リンク"));
    }

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(box);
    // wide enough for the whole caption (a long type name made the title bar cut it), with room for
    // the title bar's icon and buttons; the title bar's font is often bold
    QFont titleFont = font();
    titleFont.setBold(true);
    const QFontMetrics title(titleFont);
    setMinimumWidth(std::max(minimumSizeHint().width(), title.horizontalAdvance(windowTitle()) + 6 * title.height()));
}

void TObjectPropertiesDialog::apply()
{
    const bool iconic = m_view->checkedId() == 1;
    if (iconic != m_startIconic)
        m_objectInfo.SetViewInfo(iconic);
    if (m_linkInfo && m_update) {
        const bool automatic = m_update->checkedId() == 1;
        if (automatic != m_startAutomatic)
            m_linkInfo->SetLinkUpdateOptions(automatic);
    }
}

bool TObjectPropertiesDialog::Run()
{
    if (dialogrunner::exec(*this) != QDialog::Accepted)
        return false;
    apply();
    return true;
}
