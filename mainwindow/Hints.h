#pragma once
// Hints of actions and buttons: "short|long" shows the short part as the tool tip and the long part
// in the status bar; a text without "|" is both. An empty hint shows no tool tip at all (Qt would
// show the caption instead), which a filter on the application enforces.
#include <QString>

class QAction;
class QObject;
class QWidget;

namespace hints {

void setHint(QAction *action, const QString &hint);
void setHint(QWidget *widget, const QString &hint);
QString hintOf(const QObject *object);
// Installs the filter that suppresses the tool tip of an empty hint (once per application).
void installFilter();

} // namespace hints
