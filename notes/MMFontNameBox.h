#pragma once
// A drop-down list of the installed font faces, each with a small picture that tells TrueType faces
// from the others, filtered by font type, pitch and family. The program-wide list of faces is read
// once and again whenever the installed fonts change; every box fills its items from it.
#include <QComboBox>
#include <QFlags>
#include <QList>
#include <functional>
#include <memory>

enum TFontNameBoxFontType { fctDevice = 1, fctRaster = 2, fctTrueType = 4 };
Q_DECLARE_FLAGS(TFontNameBoxFontTypes, TFontNameBoxFontType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontNameBoxFontTypes)
enum TFontNameBoxFontPitch { fcpDefault = 1, fcpVariable = 2, fcpFixed = 4 };
Q_DECLARE_FLAGS(TFontNameBoxFontPitchs, TFontNameBoxFontPitch)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontNameBoxFontPitchs)
enum TFontNameBoxFontFamily {
    fcfDecorative = 1,
    fcfDontcare = 2,
    fcfModern = 4,
    fcfRoman = 8,
    fcfScript = 16,
    fcfSwiss = 32
};
Q_DECLARE_FLAGS(TFontNameBoxFontFamilies, TFontNameBoxFontFamily)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontNameBoxFontFamilies)

constexpr TFontNameBoxFontTypes AllFontTypes = fctDevice | fctRaster | fctTrueType;
constexpr TFontNameBoxFontPitchs AllFontPitchs = fcpDefault | fcpVariable | fcpFixed;
constexpr TFontNameBoxFontFamilies AllFontFamilies =
    fcfDecorative | fcfDontcare | fcfModern | fcfRoman | fcfScript | fcfSwiss;

// One installed face.
struct TMMFontData {
    TFontNameBoxFontFamily Family = fcfDecorative;
    QString Name;
    TFontNameBoxFontPitch Pitch = fcpDefault;
    TFontNameBoxFontType FontType = fctDevice;
};

// The installed faces, in the order the system lists them (a face may come more than once).
const QList<TMMFontData> &InstalledFonts();
// Refills InstalledFonts from the system (or from the replacement a test installs).
void GetFonts();
// Replaces where GetFonts reads the faces from (empty: the system); answers the one it replaces.
using TFontSource = std::function<QList<TMMFontData>()>;
TFontSource SetFontSource(TFontSource source);

class TCustomMMFontNameBox : public QComboBox {
    Q_OBJECT
public:
    explicit TCustomMMFontNameBox(QWidget *parent = nullptr);
    ~TCustomMMFontNameBox() override;

    // The selected face; empty when none is selected.
    QString FontName() const;
    // Selects the face (no item when it is not listed); never reported as a change.
    void SetFontName(const QString &value);
    TFontNameBoxFontFamilies FontFamilies() const { return m_families; }
    void SetFontFamilies(TFontNameBoxFontFamilies value);
    TFontNameBoxFontPitchs FontPitchs() const { return m_pitchs; }
    void SetFontPitchs(TFontNameBoxFontPitchs value);
    TFontNameBoxFontTypes FontTypes() const { return m_types; }
    void SetFontTypes(TFontNameBoxFontTypes value);
    // Refills the items from InstalledFonts through the filters, without a change event.
    void Rebuild();
    bool Rebuilding() const { return m_rebuilding; }
    // The item's picture: 1 for TrueType faces, 2 for the others.
    int ImageIndexOf(int item) const;
    // The box's four pictures: OpenType, TrueType, raster and device fonts.
    static QIcon Image(int index);

    // Called when the user picks a face (never for a rebuild or a face set by the program).
    std::function<void(TCustomMMFontNameBox *)> OnChange;

protected:
    void changeEvent(QEvent *e) override;

private:
    void updateColor();
    TFontNameBoxFontFamilies m_families = AllFontFamilies;
    TFontNameBoxFontPitchs m_pitchs = AllFontPitchs;
    TFontNameBoxFontTypes m_types = AllFontTypes;
    bool m_rebuilding = false;
};

class TMMFontNameBox : public TCustomMMFontNameBox {
    Q_OBJECT
public:
    using TCustomMMFontNameBox::TCustomMMFontNameBox;
};
