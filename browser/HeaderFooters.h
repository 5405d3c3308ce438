#pragma once
// Page header and footer codes of printed pages, expanded for one page:
//   &w window title, &u address, &d short date, &D long date, &t time, &T 24-hour time,
//   &p page number, &P page count, && one ampersand, &b alignment split.
// Text before the first &b is left-aligned; with one &b the rest is right-aligned; with two the
// middle part is centred and the rest right-aligned (a further &b is dropped and its text joins the
// right part). Any other "&x" is kept as written, as is a lone "&" at the end.
#include <QDateTime>
#include <QLocale>
#include <QString>

struct THeaderFooterContext {
    QString title;
    QString url;
    int page = 1;
    int pageCount = 1;
    QDateTime now;
    QLocale locale;
};

struct THeaderFooterLine {
    QString left;
    QString center;
    QString right;
    bool isEmpty() const { return left.isEmpty() && center.isEmpty() && right.isEmpty(); }
};

THeaderFooterLine expandHeaderFooter(const QString &codes, const THeaderFooterContext &context);
