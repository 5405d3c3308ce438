#pragma once
// The RTF reader and writer as the rich-edit control's rich-text codec.
#include "notes/MMRxRichEditStrings.h"

class TRtfCodec : public TRichTextCodec {
public:
    bool Read(const QByteArray &bytes, TRichDocumentBuilder &builder) override;
    bool Write(const TRichDocumentSource &source, TRichStreamModes modes, QByteArray &out) override;
};

// Registers the RTF codec with every rich-edit control; the start-up block calls it once.
void InstallRtfCodec();
