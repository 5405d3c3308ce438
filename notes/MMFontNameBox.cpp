#include "notes/MMFontNameBox.h"

#include "platform/FontFaces.h"
#include "settings/CommonUtils.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <algorithm>

namespace {

constexpr int ImageTrueType = 1;
constexpr int ImageOther = 2;
constexpr int ItemImageRole = Qt::UserRole + 1;

TFontSource &fontSource()
{
    static TFontSource source;
    return source;
}

QList<TMMFontData> &installedFonts()
{
    static QList<TMMFontData> fonts;
    return fonts;
}

bool containsWord(const QString &name, const char *word)
{
    return name.contains(QLatin1String(word), Qt::CaseInsensitive);
}

// The kind of face from what the font configuration says of it: outline fonts in the TrueType
// container count as TrueType, other bitmap fonts as raster, other outline fonts as device fonts;
// the family from the face's name, as the configuration carries no such class.
TMMFontData classify(const fontfaces::Face &face)
{
    TMMFontData d;
    d.Name = face.Family;
    if (face.Scalable && (face.Format == QLatin1String("TrueType") || face.Format == QLatin1String("CFF")))
        d.FontType = fctTrueType;
    else if (!face.Scalable)
        d.FontType = fctRaster;
    else
        d.FontType = fctDevice;
    if (face.Spacing < 0)
        d.Pitch = fcpDefault;
    else if (face.Spacing >= 90) // dual width, monospace and character cell
        d.Pitch = fcpFixed;
    else
        d.Pitch = fcpVariable;
    const QString &n = face.Family;
    if (containsWord(n, "symbol") || containsWord(n, "dingbat") || containsWord(n, "emoji") ||
        containsWord(n, "ornament"))
        d.Family = fcfDecorative;
    else if (d.Pitch == fcpFixed || containsWord(n, "mono") || containsWord(n, "courier"))
        d.Family = fcfModern;
    else if (containsWord(n, "script") || containsWord(n, "hand") || containsWord(n, "brush"))
        d.Family = fcfScript;
    else if (containsWord(n, "sans") || containsWord(n, "gothic") || containsWord(n, "arial") ||
             containsWord(n, "helvetica"))
        d.Family = fcfSwiss;
    else if (containsWord(n, "serif") || containsWord(n, "roman") || containsWord(n, "times") ||
             containsWord(n, "mincho") || containsWord(n, "song") || containsWord(n, "ming"))
        d.Family = fcfRoman;
    else
        d.Family = fcfDontcare;
    return d;
}

QList<TMMFontData> systemFonts()
{
    QList<TMMFontData> fonts;
    const QList<fontfaces::Face> faces = fontfaces::installed();
    fonts.reserve(faces.size());
    for (const fontfaces::Face &face : faces)
        fonts.append(classify(face));
    return fonts;
}

// Keeps every box's list current: the faces are read again when the installed fonts change, and the
// boxes rebuild from them.
class FontChangeRelay : public QObject {
public:
    static FontChangeRelay &instance()
    {
        static auto *relay = new FontChangeRelay;
        return *relay;
    }
    QList<TCustomMMFontNameBox *> Boxes;

private:
    FontChangeRelay()
        : QObject(QCoreApplication::instance())
    {
        connect(&fontfaces::Watcher::instance(), &fontfaces::Watcher::fontsChanged, this, [this] {
            GetFonts();
            for (TCustomMMFontNameBox *box : Boxes)
                box->Rebuild();
        });
    }
};

QPixmap drawImage(int index)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    switch (index) {
    case 0: // OpenType: an "O" in a green box
        p.setPen(QColor(0x2a, 0x7a, 0x3a));
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("O"));
        break;
    case 1: // TrueType: two overlapping "T"
        p.setPen(QColor(0x60, 0x60, 0x60));
        p.drawText(QRect(-2, -2, 16, 16), Qt::AlignCenter, QStringLiteral("T"));
        p.setPen(QColor(0x1f, 0x4f, 0xb0));
        p.drawText(QRect(2, 2, 16, 16), Qt::AlignCenter, QStringLiteral("T"));
        break;
    case 2: // raster: an "a" of square dots
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x80, 0x30, 0x30));
        for (const QPoint &dot : {QPoint(5, 5), QPoint(7, 5), QPoint(9, 7), QPoint(5, 9), QPoint(7, 9), QPoint(9, 9),
                                  QPoint(5, 11), QPoint(9, 11), QPoint(7, 11)})
            p.drawRect(dot.x(), dot.y(), 2, 2);
        break;
    default: // device (printer) font: a small printer
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.setBrush(QColor(0xd0, 0xd0, 0xd0));
        p.drawRect(QRectF(2.5, 6.5, 11, 5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 2.5, 7, 4));
        p.drawRect(QRectF(4.5, 11.5, 7, 3));
        break;
    }
    return pixmap;
}

} // namespace

const QList<TMMFontData> &InstalledFonts()
{
    static const bool filled = [] {
        GetFonts();
        return true;
    }();
    Q_UNUSED(filled);
    return installedFonts();
}

void GetFonts()
{
    installedFonts() = fontSource() ? fontSource()() : systemFonts();
}

TFontSource SetFontSource(TFontSource source)
{
    TFontSource previous = std::move(fontSource());
    fontSource() = std::move(source);
    return previous;
}

QIcon TCustomMMFontNameBox::Image(int index)
{
    static const QList<QIcon> images = [] {
        QList<QIcon> list;
        for (int i = 0; i < 4; ++i)
            list.append(QIcon(drawImage(i)));
        return list;
    }();
    return images.value(index);
}

TCustomMMFontNameBox::TCustomMMFontNameBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false); // the user picks; nothing is typed
    setIconSize(QSize(16, 16));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    connect(this, &QComboBox::activated, this, [this] {
        if (!m_rebuilding && OnChange)
            OnChange(this);
    });
    FontChangeRelay::instance().Boxes.append(this);
    Rebuild();
}

TCustomMMFontNameBox::~TCustomMMFontNameBox()
{
    FontChangeRelay::instance().Boxes.removeOne(this);
}

QString TCustomMMFontNameBox::FontName() const
{
    return currentIndex() < 0 ? QString() : itemText(currentIndex());
}

void TCustomMMFontNameBox::SetFontName(const QString &value)
{
    const QSignalBlocker quiet(this);
    setCurrentIndex(value.isEmpty() ? -1 : findText(value, Qt::MatchFixedString));
}

void TCustomMMFontNameBox::SetFontFamilies(TFontNameBoxFontFamilies value)
{
    if (value == m_families)
        return;
    m_families = value;
    Rebuild();
}

void TCustomMMFontNameBox::SetFontPitchs(TFontNameBoxFontPitchs value)
{
    if (value == m_pitchs)
        return;
    m_pitchs = value;
    Rebuild();
}

void TCustomMMFontNameBox::SetFontTypes(TFontNameBoxFontTypes value)
{
    if (value == m_types)
        return;
    m_types = value;
    Rebuild();
}

int TCustomMMFontNameBox::ImageIndexOf(int item) const
{
    return itemData(item, ItemImageRole).toInt();
}

void TCustomMMFontNameBox::Rebuild()
{
    const TBusyCursor busy;
    const QSignalBlocker quiet(this);
    m_rebuilding = true;
    setUpdatesEnabled(false);
    try {
        const QString selected = FontName();
        // the first entry of a name makes its item; the items are sorted by their text
        QList<const TMMFontData *> shown;
        QSet<QString> names;
        for (const TMMFontData &font : InstalledFonts()) {
            if (!(m_types & font.FontType) || !(m_pitchs & font.Pitch) || !(m_families & font.Family))
                continue;
            if (names.contains(font.Name.toLower()))
                continue;
            names.insert(font.Name.toLower());
            shown.append(&font);
        }
        std::stable_sort(shown.begin(), shown.end(), [](const TMMFontData *a, const TMMFontData *b) {
            return QString::compare(a->Name, b->Name, Qt::CaseInsensitive) < 0;
        });
        clear();
        for (const TMMFontData *font : shown) {
            const int image = font->FontType == fctTrueType ? ImageTrueType : ImageOther;
            addItem(Image(image), font->Name);
            setItemData(count() - 1, image, ItemImageRole);
        }
        setCurrentIndex(selected.isEmpty() ? -1 : findText(selected, Qt::MatchFixedString));
    } catch (...) {
        m_rebuilding = false;
        setUpdatesEnabled(true);
        throw;
    }
    m_rebuilding = false;
    setUpdatesEnabled(true);
}

void TCustomMMFontNameBox::changeEvent(QEvent *e)
{
    QComboBox::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        updateColor();
}

void TCustomMMFontNameBox::updateColor()
{
    // the button face while disabled; the colour the box had before when enabled again
    const QPalette standard = QApplication::palette(this);
    QPalette p = palette();
    if (!isEnabled()) {
        const QColor face = standard.color(QPalette::Active, QPalette::Button);
        p.setColor(QPalette::Disabled, QPalette::Base, face);
        p.setColor(QPalette::Disabled, QPalette::Button, face);
    } else {
        p.setColor(QPalette::Disabled, QPalette::Base, standard.color(QPalette::Disabled, QPalette::Base));
        p.setColor(QPalette::Disabled, QPalette::Button, standard.color(QPalette::Disabled, QPalette::Button));
    }
    setPalette(p);
}
