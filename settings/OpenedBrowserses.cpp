#include "settings/OpenedBrowserses.h"

#include "platform/ProfileIni.h"
#include "platform/TextRules.h"

namespace {

const QString kSection = QStringLiteral("OpenedBrowsers");

QStringList pieces(const QString &text)
{
    QString t = text;
    t.remove(u' ');
    return t.split(u',');
}

bool parseDecimal(const QString &piece, int &out)
{
    if (piece.isEmpty())
        return false;
    bool ok = false;
    const int v = piece.toInt(&ok, 10);
    if (!ok)
        return false;
    out = v;
    return true;
}

} // namespace

QString RectToText(const TRect &rect, TWindowState state)
{
    return QStringLiteral("%1,%2,%3,%4,%5")
        .arg(rect.Left)
        .arg(rect.Top)
        .arg(rect.Right)
        .arg(rect.Bottom)
        .arg(static_cast<int>(state));
}

TRect TextToRect(const QString &text)
{
    const QStringList p = pieces(text);
    TRect r;
    if (p.size() < 4 || !parseDecimal(p.at(0), r.Left) || !parseDecimal(p.at(1), r.Top) ||
        !parseDecimal(p.at(2), r.Right) || !parseDecimal(p.at(3), r.Bottom))
        return TRect{0, 0, 640, 480};
    return r;
}

TWindowState TextToWindowState(const QString &text)
{
    const QStringList p = pieces(text);
    int v = 0;
    if (p.size() < 5 || !parseDecimal(p.at(4), v))
        return TWindowState::wsNormal;
    return static_cast<TWindowState>(static_cast<std::uint8_t>(v & 0xFF));
}

QString WithSequence(const QString &line, int sequence)
{
    const QString name = textrules::lineName(line);
    QStringList p = name.split(u',');
    if (p.size() < 5)
        return line; // no window line: left as it is
    if (p.size() == 5)
        p.append(QString());
    p[5] = QString::number(sequence);
    return p.join(u',') + line.mid(name.size());
}

int TOpenedBrowsers::AddBrowser(const QString &url, int left, int top, int width, int height, TWindowState state)
{
    const TRect r{left, top, left + width, top + height};
    QString name = RectToText(r, state);
    // a sequence number keeps windows of equal rectangle and state apart
    name += u',' + QString::number(size());
    append(name + u'=' + url);
    return int(size() - 1);
}

TRect TOpenedBrowsers::GetRect(int index) const
{
    return TextToRect(textrules::lineName(at(index)));
}

TWindowState TOpenedBrowsers::GetWindowState(int index) const
{
    return TextToWindowState(textrules::lineName(at(index)));
}

QString TOpenedBrowsers::GetUrl(int index) const
{
    return textrules::valueOf(*this, textrules::lineName(at(index)));
}

void TOpenedBrowsers::LoadFromFile(const QString &fileName)
{
    clear();
    const ProfileIni ini(fileName);
    for (const QString &line : ini.readSectionValues(kSection))
        append(line);
}

bool TOpenedBrowsers::SaveToFile(const QString &fileName, QString *error) const
{
    QList<QPair<QString, QString>> pairs;
    for (int i = 0; i < size(); ++i) {
        const QString name = textrules::lineName(at(i));
        if (!name.isEmpty())
            pairs.append({name, GetUrl(i)});
    }
    ProfileIni ini(fileName);
    if (ini.replaceSection(kSection, pairs))
        return true;
    if (error)
        *error = ini.errorString();
    return false;
}
