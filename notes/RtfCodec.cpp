#include "notes/RtfCodec.h"

#include "notes/RtfReader.h"
#include "notes/RtfWriter.h"

bool TRtfCodec::Read(const QByteArray &bytes, TRichDocumentBuilder &builder)
{
    return rtf::ReadDocument(bytes, builder);
}

bool TRtfCodec::Write(const TRichDocumentSource &source, TRichStreamModes modes, QByteArray &out)
{
    // plain RTF leaves out language-specific words: this writer writes none in any mode
    rtf::WriteOptions options;
    options.NoObjects = modes.testFlag(smNoObjects);
    out = rtf::WriteDocument(source, options);
    return true;
}

void InstallRtfCodec()
{
    SetRichTextCodec(std::make_shared<TRtfCodec>());
}
