#include "settings/MemInis.h"

#include "platform/BuiltinResources.h"
#include "platform/CodePage.h"
#include "platform/PlatformError.h"
#include "platform/TextRules.h"

TMemIni::TMemIni(const QString &resourceName, const QString &resourceType)
{
    const auto bytes = builtinresources::find(resourceName, resourceType);
    if (!bytes)
        throw PlatformError(QStringLiteral("Resource %1 not found").arg(resourceName));
    LoadFromBytes(*bytes, builtinresources::iniCodePage(resourceName));
}

TMemIni::~TMemIni() = default;

void TMemIni::LoadFromBytes(const QByteArray &bytes, int codePage)
{
    QByteArray data = bytes;
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data.truncate(nul);
    const QString text = codepage::decode(data, codePage);
    QStringList lines;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        lines.append(text.mid(pos, end - pos));
        if (end < text.size() && text.at(end) == u'\r' && end + 1 < text.size() && text.at(end + 1) == u'\n')
            ++end;
        pos = end + 1;
    }
    SetStrings(lines);
}

void TMemIni::SetStrings(const QStringList &lines)
{
    Clear();
    Section *current = nullptr;
    for (const QString &line : lines) {
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            QStringList &added = AddSection(line.mid(1, line.size() - 2));
            Q_UNUSED(added);
            current = m_sections.last().get();
            continue;
        }
        if (!current)
            continue;
        current->lines.append(line);
    }
}

void TMemIni::indexLine(Section &s, qsizetype index)
{
    s.indexed = index + 1;
    const QString &line = s.lines.at(index);
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return;
    const QString key = textrules::foldAscii(line.left(eq));
    if (!s.firstKey.contains(key))
        s.firstKey.insert(key, index);
}

QStringList &TMemIni::AddSection(const QString &name)
{
    auto s = std::make_shared<Section>();
    s->name = name;
    m_sections.append(s);
    const QString folded = textrules::foldAscii(name);
    if (!m_firstSection.contains(folded))
        m_firstSection.insert(folded, m_sections.size() - 1);
    return s->lines;
}

void TMemIni::Clear()
{
    m_sections.clear();
    m_firstSection.clear();
}

const TMemIni::Section *TMemIni::find(const QString &section) const
{
    const auto it = m_firstSection.constFind(textrules::foldAscii(section));
    if (it == m_firstSection.cend())
        return nullptr;
    Section *s = m_sections.at(*it).get();
    // lines a caller appended through AddSection's list are indexed when first needed
    while (s->indexed < s->lines.size())
        indexLine(*s, s->indexed);
    return s;
}

QString TMemIni::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const Section *s = find(section);
    if (!s)
        return def;
    const auto it = s->firstKey.constFind(textrules::foldAscii(key));
    if (it == s->firstKey.cend())
        return def;
    const QString &line = s->lines.at(*it);
    return line.mid(line.indexOf(u'=') + 1);
}

int TMemIni::ReadInteger(const QString &section, const QString &key, int def) const
{
    return textrules::strToIntDef(ReadString(section, key, QString()), def);
}

bool TMemIni::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TMemIni::SectionExists(const QString &section) const
{
    return find(section) != nullptr;
}

void TMemIni::ReadSection(const QString &section, QStringList &keys) const
{
    keys.clear();
    if (const Section *s = find(section))
        for (const QString &line : s->lines) {
            const qsizetype eq = line.indexOf(u'=');
            keys.append(eq < 0 ? QString() : line.left(eq));
        }
}

void TMemIni::ReadSections(QStringList &names) const
{
    names.clear();
    for (const auto &s : m_sections)
        names.append(s->name);
}

void TMemIni::ReadSectionValues(const QString &section, QStringList &lines) const
{
    lines.clear();
    if (const Section *s = find(section))
        lines = s->lines;
}

void TMemIni::WriteString(const QString &, const QString &, const QString &)
{}
void TMemIni::EraseSection(const QString &)
{}
void TMemIni::DeleteKey(const QString &, const QString &)
{}
void TMemIni::UpdateFile()
{}
