#include "mainwindow/AboutBrivo01.h"

#include "mainwindow/Avis.h"
#include "settings/FileVersions.h"
#include "settings/LanguageFonts.h"
#include "settings/MemInis.h"
#include "ui_AboutBrivo01.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace {

constexpr int ShiftJisCharset = 128;

// A label font of its own: every property resolved, so the form's font never reaches the label.
void ownFont(QLabel *label, int pixelSize, bool bold, bool italic, bool underline, int charset)
{
    QFont f = QApplication::font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f = FontForCharset(f, charset);
    f.setResolveMask(QFont::AllPropertiesResolved);
    label->setFont(f);
}

void ownColour(QLabel *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

} // namespace

TfrmAbout::TfrmAbout(QWidget *owner, const QString &exeName)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , ui(new Ui::TfrmAbout)
{
    ui->setupUi(this);
    setFixedSize(420, 234);
    Image2 = ui->Image2;
    lblCompany = ui->lblCompany;
    lblProduct = ui->lblProduct;
    lblVersion = ui->lblVersion;
    lblCopyright = ui->lblCopyright;
    lblHomepage = ui->lblHomepage;
    Label1 = ui->Label1;
    Bevel1 = ui->Bevel1;
    btbtnOK = ui->btbtnOK;
    FileVersion = new TFileVersion(this);
    FileVersion->setObjectName(QStringLiteral("FileVersion"));

    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    setFont(FontForCharset(formFont, 0));
    ownFont(lblCompany, 13, true, false, false, ShiftJisCharset);
    ownFont(lblProduct, 27, true, true, false, ShiftJisCharset);
    ownColour(lblProduct, QColor(0x80, 0x00, 0x80));
    ownFont(lblVersion, 11, false, false, false, 0);
    ownFont(lblCopyright, 11, false, false, false, 0);
    ownFont(lblHomepage, 11, false, false, true, 0);
    ownColour(lblHomepage, QColor(0x00, 0x00, 0xFF));
    ownFont(Label1, 11, false, false, false, 0);

    btbtnOK->setAutoDefault(true);
    connect(btbtnOK, &QPushButton::clicked, this, &TfrmAbout::btbtnOKClick);
    lblHomepage->installEventFilter(this);

    Image2->setPixmap(picture());
    FormCreate(exeName.isEmpty() ? QCoreApplication::applicationFilePath() : exeName);
}

TfrmAbout::~TfrmAbout()
{
    delete ui;
}

void TfrmAbout::FormCreate(const QString &exeName)
{
    FileVersion->SetFileName(exeName);
    lblCompany->setText(QString());
    lblProduct->setText(QStringLiteral("Brivo Compact"));
    lblVersion->setText(QStringLiteral(" Version ") + FileVersion->FileVersion());
    lblCopyright->setText(FileVersion->LegalCopyright());
    lblHomepage->setText(FileVersion->GetValue(QStringLiteral("Homepage")));
    Label1->setText(QStringLiteral("Notes editor: MMRx RichEdit rich-text control"));
}

void TfrmAbout::ApplyLanguage(const TMemIni &table)
{
    const TTableFont tableFont = ReadTableFont(table, font(), property("Charset").toInt());
    setProperty("Charset", tableFont.charset);
    setFont(FontForCharset(tableFont.font, tableFont.charset));
    setWindowTitle(table.ReadString(QStringLiteral("About"), QStringLiteral("Caption"), QString()));
    btbtnOK->setText(table.ReadString(QStringLiteral("Const"), QStringLiteral("OK"), QString()));
}

void TfrmAbout::reject()
{
    done(mrCancel);
}

void TfrmAbout::btbtnOKClick()
{
    done(mrCancel);
}

void TfrmAbout::lblHomepageClick()
{
    done(mrYes);
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblHomepage && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && lblHomepage->rect().contains(mouse->position().toPoint())) {
            lblHomepageClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QPixmap TfrmAbout::picture()
{
    QPixmap pixmap(153, 121);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 121);
    sky.setColorAt(0, QColor(0x1E, 0x4F, 0x9C));
    sky.setColorAt(1, QColor(0xA8, 0xD0, 0xF0));
    p.fillRect(pixmap.rect(), sky);
    // light rings behind the globe
    p.setPen(QPen(QColor(255, 255, 255, 70), 2));
    for (int r = 30; r <= 90; r += 20)
        p.drawEllipse(QPointF(76.5, 56), r, r * 0.8);
    // the program's mark, the globe of the menu band's logo, drawn at this size
    REZI globe;
    globe.resize(globe.sizeHint());
    p.save();
    p.translate(39, 9);
    p.scale(74.0 / globe.width(), 74.0 / globe.height());
    globe.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    p.restore();
    QFont f = QApplication::font();
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 86, 153, 30), Qt::AlignCenter, QStringLiteral("Brivo"));
    return pixmap;
}
