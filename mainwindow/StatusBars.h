#pragma once
// The main window's status bar: three panels side by side. Panel 0 holds a text; panel 1 draws the
// active page's progress as a blue bar; panel 2 shows the program's icon and title. Panel 0 takes
// the width the other two leave.
#include <QIcon>
#include <QWidget>

class TBrivoStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TBrivoStatusBar(QWidget *parent = nullptr);

    QString panelText() const { return m_text; }
    void setPanelText(const QString &text);
    int panelWidth(int panel) const { return m_widths[panel]; }
    void setPanelWidth(int panel, int width);
    void setProgress(int progress, int progressMax);
    void setTitleIcon(const QIcon &icon)
    {
        m_icon = icon;
        update();
    }
    // The filled part of panel 1 for the last progress, in pixels from its left edge.
    int progressFill() const;
    QRect panelRect(int panel) const;
    QSize sizeHint() const override;

signals:
    void OnResize();
    // a mouse button released over the bar at x
    void OnMouseUp(int x);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_text;
    int m_widths[3] = {400, 100, 150};
    int m_progress = 0;
    int m_progressMax = 0;
    QIcon m_icon;
};
