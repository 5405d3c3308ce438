#pragma once
// A label that reports its resizing.
#include <QLabel>

class TResizeLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void OnResize();

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        emit OnResize();
    }
};
