#pragma once
// One change of a stored list, made against the list as another program may have left it. The
// program knows the list as it last read or wrote it (base) and as the user has made it now (mine);
// the file holds it as it is now (theirs). What the user changed from base is applied to theirs:
// entries removed are removed, entries added are added where they stand among their neighbours (at the
// end when they follow every entry the lists share), changed values replace the stored ones, and a new
// order of the user's entries is kept; what the other program added, removed or changed and the user
// did not touch stays as the other program left it. With theirs equal to base the result is mine; with
// mine equal to base it is theirs.
#include <QStringList>
#include <functional>

namespace listchanges {

// The identity of each line of a list: one key per line, no key twice in a list.
using Keys = std::function<QStringList(const QStringList &lines)>;

// "name=value" lines told apart by their names, without regard to the case of a-z; a name that
// repeats (and a line without a name) by how often it came before.
QStringList byName(const QStringList &lines);
// Lines told apart by their whole text, a text that repeats by how often it came before.
QStringList byText(const QStringList &lines);

QStringList merge(const QStringList &base, const QStringList &mine, const QStringList &theirs,
                  const Keys &keys = byName);

} // namespace listchanges
