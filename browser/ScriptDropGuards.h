#pragma once
// Keeps dropped script addresses away from a widget and from every child it has or gets (a web
// view makes its page widget later): a drag that carries a "javascript:" or "data:" address is not
// accepted there, so the engine never opens it in the page's origin, and the status bar says why.
#include <QObject>

class QWidget;

class TScriptDropGuard : public QObject {
    Q_OBJECT
public:
    explicit TScriptDropGuard(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QObject *object);
};
