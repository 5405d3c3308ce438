#pragma once
// The font dialog of the notes editor: face, style and size (fractional sizes kept) with a text
// colour that stays "automatic" (the window text colour) until the user picks one.
#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QToolButton;
class TRxTextAttributes;

class TRichEditFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRichEditFontDialog(QWidget *parent = nullptr);

    QFont Font() const;
    void SetFont(const QFont &font);
    // Invalid: the automatic colour.
    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);

    // Fills the dialog from the text attributes, runs it and, when it is confirmed, gives the
    // attributes the dialog's face, style, size and colour; the character set stays as it was.
    // False when it was cancelled.
    bool Edit(TRxTextAttributes &attributes);

private:
    void chooseColor();
    QFontDialog *m_fonts;
    QToolButton *m_colorButton;
    QColor m_color;
};
