// The control-word table and the dispatch of control words and symbols to their handlers.
#include "notes/RtfReaderCore.h"

#include <utility>

namespace rtf::reader {

// ---- the control-word table ----

const QHash<QByteArray, WordEntry> &wordTable()
{
    static const QHash<QByteArray, WordEntry> table = [] {
        QHash<QByteArray, WordEntry> t;
        auto add = [&t](const char *w, Handler fn, int arg = 0) { t.insert(QByteArray(w), WordEntry{fn, arg}); };
        // character formats
        add("b", &Reader::charToggle, CFE_BOLD);
        add("i", &Reader::charToggle, CFE_ITALIC);
        add("strike", &Reader::charToggle, CFE_STRIKEOUT);
        add("striked", &Reader::charToggle, CFE_STRIKEOUT);
        add("v", &Reader::charToggle, CFE_HIDDEN);
        add("protect", &Reader::charToggle, CFE_PROTECTED);
        add("ul", &Reader::underline, CFU_UNDERLINE);
        add("ulw", &Reader::underline, CFU_UNDERLINEWORD);
        add("uldb", &Reader::underline, CFU_UNDERLINEDOUBLE);
        add("uld", &Reader::underline, CFU_UNDERLINEDOTTED);
        add("ulthd", &Reader::underline, CFU_UNDERLINEDOTTED);
        add("uldash", &Reader::underline, CFU_UNDERLINEDASH);
        add("ulldash", &Reader::underline, CFU_UNDERLINEDASH);
        add("ulthdash", &Reader::underline, CFU_UNDERLINEDASH);
        add("ulthldash", &Reader::underline, CFU_UNDERLINEDASH);
        add("uldashd", &Reader::underline, CFU_UNDERLINEDASHDOT);
        add("ulthdashd", &Reader::underline, CFU_UNDERLINEDASHDOT);
        add("uldashdd", &Reader::underline, CFU_UNDERLINEDASHDOTDOT);
        add("ulthdashdd", &Reader::underline, CFU_UNDERLINEDASHDOTDOT);
        add("ulwave", &Reader::underline, CFU_UNDERLINEWAVE);
        add("ulhwave", &Reader::underline, CFU_UNDERLINEWAVE);
        add("ululdbwave", &Reader::underline, CFU_UNDERLINEWAVE);
        add("ulth", &Reader::underline, CFU_UNDERLINETHICK);
        add("ulnone", &Reader::underlineNone);
        add("sub", &Reader::vertical, 1);
        add("super", &Reader::vertical, 2);
        add("nosupersub", &Reader::vertical, 0);
        add("up", &Reader::raise, 1);
        add("dn", &Reader::raise, -1);
        add("fs", &Reader::fontSize);
        add("f", &Reader::font);
        add("af", &Reader::associatedFont);
        add("loch", &Reader::fontClass, 1);
        add("hich", &Reader::fontClass, 2);
        add("dbch", &Reader::fontClass, 3);
        add("cf", &Reader::foreColor);
        add("cb", &Reader::backColor);
        add("highlight", &Reader::backColor);
        add("plain", &Reader::plain);
        // paragraph formats
        add("pard", &Reader::pard);
        add("ql", &Reader::align, PFA_LEFT);
        add("qr", &Reader::align, PFA_RIGHT);
        add("qc", &Reader::align, PFA_CENTER);
        add("qj", &Reader::align, PFA_JUSTIFY);
        add("qd", &Reader::align, PFA_JUSTIFY);
        add("li", &Reader::indent, 0);
        add("lin", &Reader::indent, 0);
        add("fi", &Reader::indent, 1);
        add("ri", &Reader::indent, 2);
        add("rin", &Reader::indent, 2);
        add("sb", &Reader::spacing, 0);
        add("sa", &Reader::spacing, 1);
        add("sl", &Reader::lineSpacing);
        add("slmult", &Reader::lineMultiple);
        add("tx", &Reader::tabStop);
        add("tb", &Reader::tabStop);
        add("intbl", &Reader::inTable);
        add("ls", &Reader::listOverride);
        add("ilvl", &Reader::listLevel);
        // text
        add("par", &Reader::paragraph);
        add("sect", &Reader::paragraph);
        add("page", &Reader::paragraph);
        add("line", &Reader::lineBreak);
        add("chftn", &Reader::footnoteMark);
        add("tab", &Reader::special, '\t');
        add("emdash", &Reader::special, 0x2014);
        add("endash", &Reader::special, 0x2013);
        add("emspace", &Reader::special, 0x2003);
        add("enspace", &Reader::special, 0x2002);
        add("qmspace", &Reader::special, 0x2005);
        add("bullet", &Reader::special, 0x2022);
        add("lquote", &Reader::special, 0x2018);
        add("rquote", &Reader::special, 0x2019);
        add("ldblquote", &Reader::special, 0x201C);
        add("rdblquote", &Reader::special, 0x201D);
        add("zwj", &Reader::special, 0x200D);
        add("zwnj", &Reader::special, 0x200C);
        add("zwbo", &Reader::special, 0x200B);
        add("ltrmark", &Reader::special, 0x200E);
        add("rtlmark", &Reader::special, 0x200F);
        add("cell", &Reader::cell);
        add("nestcell", &Reader::cell);
        add("nestrow", &Reader::cell);
        add("row", &Reader::row);
        add("trowd", &Reader::rowDefaults);
        add("cellx", &Reader::cellEdge);
        add("trleft", &Reader::rowLeft);
        add("u", &Reader::unicode);
        add("uc", &Reader::unicodeSkip);
        // document
        add("ansi", &Reader::docCodePage, 1252);
        add("mac", &Reader::docCodePage, 10000);
        add("pc", &Reader::docCodePage, 437);
        add("pca", &Reader::docCodePage, 850);
        add("ansicpg", &Reader::ansiCodePage);
        add("deff", &Reader::defaultFont);
        // destinations read
        add("fonttbl", &Reader::destination, int(Dest::FontTable));
        add("colortbl", &Reader::destination, int(Dest::ColorTable));
        add("listtable", &Reader::destination, int(Dest::ListTable));
        add("listoverridetable", &Reader::destination, int(Dest::OverrideTable));
        add("list", &Reader::listBegin);
        add("listlevel", &Reader::destination, int(Dest::ListLevel));
        add("listid", &Reader::listId);
        add("levelnfc", &Reader::levelFormat);
        add("levelnfcn", &Reader::levelFormat);
        add("levelstartat", &Reader::levelStart);
        add("leveltext", &Reader::levelText);
        add("listoverride", &Reader::overrideBegin);
        add("lfolevel", &Reader::overrideLevel);
        add("listoverridestartat", &Reader::overrideStartAt);
        add("pn", &Reader::numberingBegin);
        add("pnlvlblt", &Reader::numberingLevel, PfnBullet);
        add("pnlvlbody", &Reader::numberingLevel, PfnArabic);
        add("pnlvl", &Reader::numberingLevel, PfnArabic);
        add("pnlvlcont", &Reader::numberingLevel, PfnNone);
        add("pndec", &Reader::numberingKind, PfnArabic);
        add("pnlcltr", &Reader::numberingKind, PfnLcLetter);
        add("pnucltr", &Reader::numberingKind, PfnUcLetter);
        add("pnlcrm", &Reader::numberingKind, PfnLcRoman);
        add("pnucrm", &Reader::numberingKind, PfnUcRoman);
        add("cs", &Reader::styleReference);
        add("ds", &Reader::styleReference);
        add("s", &Reader::styleReference);
        add("pnstart", &Reader::numberingStart);
        add("pntxtb", &Reader::numberingText, int(Dest::NumberBefore));
        add("pntxta", &Reader::numberingText, int(Dest::NumberAfter));
        add("pntext", &Reader::listText);
        add("listtext", &Reader::listText);
        add("pict", &Reader::picture);
        add("pngblip", &Reader::pictureKind, int(PictureKind::Png));
        add("jpegblip", &Reader::pictureKind, int(PictureKind::Jpeg));
        add("dibitmap", &Reader::pictureKind, int(PictureKind::Dib));
        add("wbitmap", &Reader::pictureKind, int(PictureKind::DeviceBitmap));
        add("wmetafile", &Reader::pictureKind, int(PictureKind::Wmf));
        add("emfblip", &Reader::pictureKind, int(PictureKind::Emf));
        add("macpict", &Reader::pictureKind, int(PictureKind::Mac));
        add("pmmetafile", &Reader::pictureKind, int(PictureKind::Unknown));
        add("picw", &Reader::pictureSize, 0);
        add("pich", &Reader::pictureSize, 1);
        add("picwgoal", &Reader::pictureSize, 2);
        add("pichgoal", &Reader::pictureSize, 3);
        add("picscalex", &Reader::pictureSize, 4);
        add("picscaley", &Reader::pictureSize, 5);
        add("wbmbitspixel", &Reader::pictureSize, 6);
        add("wbmwidthbytes", &Reader::pictureSize, 7);
        add("object", &Reader::object);
        add("objw", &Reader::objectSize, 0);
        add("objh", &Reader::objectSize, 1);
        add("objscalex", &Reader::objectSize, 2);
        add("objscaley", &Reader::objectSize, 3);
        add("result", &Reader::result);
        add("shppict", &Reader::shapePicture);
        add("nonshppict", &Reader::nonShapePicture);
        add("field", &Reader::destination, int(Dest::Body));
        add("fldrslt", &Reader::destination, int(Dest::Body));
        add("upr", &Reader::upr);
        add("ud", &Reader::ud);
        // font table
        add("fcharset", &Reader::fontCharset);
        add("fprq", &Reader::fontPitch);
        add("cpg", &Reader::fontCodePage);
        add("fnil", &Reader::fontFamily, 0x00);
        add("froman", &Reader::fontFamily, 0x10);
        add("fswiss", &Reader::fontFamily, 0x20);
        add("fmodern", &Reader::fontFamily, 0x30);
        add("fscript", &Reader::fontFamily, 0x40);
        add("fdecor", &Reader::fontFamily, 0x50);
        add("ftech", &Reader::fontFamily, 0x00);
        add("fbidi", &Reader::fontFamily, 0x00);
        // colour table
        add("red", &Reader::colorPart, 16);
        add("green", &Reader::colorPart, 8);
        add("blue", &Reader::colorPart, 0);
        // destinations skipped whole
        for (const char *w : {"stylesheet",
                              "info",
                              "fldinst",
                              "header",
                              "headerl",
                              "headerr",
                              "headerf",
                              "footer",
                              "footerl",
                              "footerr",
                              "footerf",
                              "footnote",
                              "annotation",
                              "atnid",
                              "atnauthor",
                              "atntime",
                              "atnref",
                              "atndate",
                              "atnicn",
                              "comment",
                              "doccomm",
                              "author",
                              "operator",
                              "title",
                              "subject",
                              "keywords",
                              "company",
                              "manager",
                              "category",
                              "creatim",
                              "revtim",
                              "printim",
                              "buptim",
                              "hlinkbase",
                              "template",
                              "objdata",
                              "objclass",
                              "objname",
                              "objalias",
                              "objsect",
                              "objtime",
                              "objitem",
                              "objtopic",
                              "revtbl",
                              "rsidtbl",
                              "xe",
                              "tc",
                              "txe",
                              "rxe",
                              "levelnumbers",
                              "listname",
                              "listpicture",
                              "ftnsep",
                              "ftnsepc",
                              "ftncn",
                              "aftnsep",
                              "aftnsepc",
                              "aftncn",
                              "pgdsctbl",
                              "fname",
                              "falt",
                              "panose",
                              "bkmkstart",
                              "bkmkend",
                              "nesttableprops",
                              "nonesttables",
                              "themedata",
                              "colorschememapping",
                              "latentstyles",
                              "datastore",
                              "xmlnstbl",
                              "mmathPr",
                              "generator",
                              "userprops",
                              "docvar",
                              "shpinst",
                              "sp",
                              "fchars",
                              "lchars",
                              "ts",
                              "tsrowd",
                              "wgrffmtfilter",
                              "pnseclvl",
                              "fldtype",
                              "formfield",
                              "datafield",
                              "dptxbxtext",
                              "do",
                              "blipuid",
                              "picprop"})
            add(w, &Reader::skipDestination);
        return t;
    }();
    return table;
}

// True for the words that make their group a destination of another kind than the one around it.
static bool opensDestination(const WordEntry &e)
{
    if (e.Fn == &Reader::destination)
        return Dest(e.Arg) != Dest::Body;
    return e.Fn == &Reader::numberingBegin || e.Fn == &Reader::ud || e.Fn == &Reader::listText ||
           e.Fn == &Reader::upr || e.Fn == &Reader::listBegin || e.Fn == &Reader::overrideBegin ||
           e.Fn == &Reader::picture || e.Fn == &Reader::object || e.Fn == &Reader::result ||
           e.Fn == &Reader::levelText || e.Fn == &Reader::overrideLevel || e.Fn == &Reader::numberingText;
}

void Reader::controlWord(const Token &t)
{
    flushBytes();
    const bool star = std::exchange(m_star, false);
    const auto &table = wordTable();
    const auto it = table.constFind(QByteArray::fromRawData(t.Word.data(), t.Word.size()));
    if (it == table.cend()) {
        if (star)
            skipDestination(t, 0); // an optional destination this reader does not know: the rest of the group
        return;                    // an unknown word alone means nothing
    }
    if (m_flatDepth > 0 && opensDestination(*it)) {
        // a group past the depth limit shares the state of the group around it: a destination of its
        // own would change that one, so it is skipped
        skipDestination(t, 0);
        return;
    }
    (this->*(it->Fn))(t, it->Arg);
}

// A paragraph, character or section style the text is in: the formats the file states with it are all
// that is read.
void Reader::styleReference(const Token &, int)
{}

void Reader::controlSymbol(const Token &t)
{
    switch (t.Symbol) {
    case '*':
        flushBytes();
        m_star = true;
        return;
    case '\\':
    case '{':
    case '}':
        m_star = false;
        if (st().Destination == Dest::Picture)
            return;
        addByte(t.Symbol);
        return;
    default:
        break;
    }
    flushBytes();
    m_star = false;
    switch (t.Symbol) {
    case '~':
        special(t, 0x00A0);
        break;
    case '-':
        special(t, 0x00AD);
        break;
    case '_':
        special(t, 0x2011);
        break;
    case '\n':
        paragraph(t, 0);
        break;
    case '\t':
        special(t, '\t');
        break;
    default:
        break; // \: \| and the rest have no text
    }
}

} // namespace rtf::reader
