#include "notes/RichEditFontDialog.h"

#include "notes/MMRxRichEditAttributes.h"
#include "platform/DialogRunner.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr int TwipsPerPoint = 20;

// A swatch of the colour; the automatic colour shows the window text colour with a frame of its own.
QIcon swatch(const QColor &color, const QColor &automatic)
{
    QPixmap pixmap(32, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::gray);
    p.setBrush(color.isValid() ? color : automatic);
    p.drawRect(QRect(0, 0, 31, 15));
    if (!color.isValid()) {
        p.setPen(QPen(Qt::white, 1, Qt::DotLine));
        p.drawRect(QRect(2, 2, 27, 11));
    }
    return QIcon(pixmap);
}

// The family's face that fits the font's slant, weight and width best. A font that names no face
// would otherwise be matched by a generic name ("Normal", "Bold Italic") that many families do not
// use ("Book", "Oblique"), and the dialog would fall back to the family's first face: a plain text
// came back slanted.
QString faceFor(const QFont &font)
{
    QString best;
    int bestScore = std::numeric_limits<int>::max();
    const int wantedStretch = font.stretch() > 0 ? font.stretch() : int(QFont::Unstretched);
    for (const QString &style : QFontDatabase::styles(font.family())) {
        const QFont face = QFontDatabase::font(font.family(), style, 10);
        if (face.italic() != font.italic())
            continue;
        const int stretch = face.stretch() > 0 ? face.stretch() : int(QFont::Unstretched);
        const int score = std::abs(face.weight() - font.weight()) * 10 + std::abs(stretch - wantedStretch);
        if (score < bestScore) {
            bestScore = score;
            best = style;
        }
    }
    return best;
}

} // namespace

TRichEditFontDialog::TRichEditFontDialog(QWidget *parent)
    : QDialog(parent)
    , m_fonts(new QFontDialog(this))
    , m_colorButton(new QToolButton(this))
{
    setObjectName(QStringLiteral("FontDialog"));
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    // the embedded font chooser's own caption; without one the window shows the program's file name
    setWindowTitle(m_fonts->windowTitle());
    m_colorButton->setObjectName(QStringLiteral("ColorButton"));
    m_colorButton->setIconSize(QSize(32, 16));
    connect(m_colorButton, &QToolButton::clicked, this, [this] { chooseColor(); });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    auto *row = new QHBoxLayout;
    row->addWidget(m_colorButton);
    row->addStretch();
    row->addWidget(buttons);
    layout->addLayout(row);
    SetColor(QColor());
}

QFont TRichEditFontDialog::Font() const
{
    return m_fonts->currentFont();
}

void TRichEditFontDialog::SetFont(const QFont &font)
{
    QFont named = font;
    if (named.styleName().isEmpty()) {
        const QString face = faceFor(font);
        if (!face.isEmpty())
            named.setStyleName(face);
    }
    m_fonts->setCurrentFont(named);
}

void TRichEditFontDialog::SetColor(const QColor &color)
{
    m_color = color;
    m_colorButton->setIcon(swatch(color, palette().color(QPalette::Text)));
}

void TRichEditFontDialog::chooseColor()
{
    const QColor chosen = QColorDialog::getColor(m_color.isValid() ? m_color : palette().color(QPalette::Text), this);
    if (chosen.isValid())
        SetColor(chosen);
}

bool TRichEditFontDialog::Edit(TRxTextAttributes &attributes)
{
    const TRichCharFormat current = attributes.GetAttributes();
    QFont font;
    attributes.AssignTo(font);
    if (current.Height >= TwipsPerPoint)
        font.setPointSizeF(current.Height / qreal(TwipsPerPoint));
    SetFont(font);
    SetColor(attributes.Color());
    if (dialogrunner::exec(*this) != QDialog::Accepted)
        return false;
    QFont chosen = Font();
    // the dialog's size list counts whole points: a fractional size the user left alone stays as it was
    const qreal points = font.pointSizeF();
    if (points > 0 && points != std::round(points) && chosen.pointSizeF() == std::round(points))
        chosen.setPointSizeF(points);
    attributes.AssignFont(chosen, Color(), current.Charset);
    return true;
}
